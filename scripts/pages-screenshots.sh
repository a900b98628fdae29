#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Draws the README's pictures of cardcheck's Diagnostics page after a self-test
# run and of the echo test dialog while it sends (docs/screenshots/), from the
# program's own windows on the simulated NICs, offscreen.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
# An existing build folder may be named in BUILD_DIR; otherwise one of its own.
dir="${BUILD_DIR:-$top/build/screenshots}"
if [ ! -f "$dir/CMakeCache.txt" ]; then
  cmake -S "$top" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELNET_BENCHMARKS=OFF >/dev/null
fi
cmake --build "$dir" -j 2 --target cardcheck_pages_screenshots cardcheck_echo_responder \
  nicport vx410cfg
mkdir -p "$top/docs/screenshots" "$dir/runtime"
chmod 700 "$dir/runtime"
QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR="$dir/runtime" VELNET_NO_RESTART=1 \
  VELNET_LIBRARY_PATH="$dir/lib/velnet/simulated:$dir/lib/velnet" VELNET_REGISTRY="$dir/registry-guard.reg" \
  "$dir/bin/cardcheck_pages_screenshots" "$top/docs/screenshots" "$dir/bin/cardcheck_echo_responder" \
  2> >(grep -v "does not support" >&2)
