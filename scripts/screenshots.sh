#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Renders the dialogs of nicsetup offscreen, on a copy of the demo hive, into
# docs/screenshots/*.png (the pictures in the README):
#   bash scripts/screenshots.sh          (or BUILD_DIR=build/normal bash scripts/screenshots.sh)
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
source "$top/scripts/deps.sh"
velnet_install_missing

# An existing build folder may be named in BUILD_DIR; otherwise the demo's.
dir="${BUILD_DIR:-$top/build/run}"
if [ ! -f "$dir/CMakeCache.txt" ]; then
  cmake -S "$top" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELNET_BENCHMARKS=OFF >/dev/null
fi
cmake --build "$dir" -j "$(nproc)" --target nicsetup_screenshots

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cp "$top/examples/registry/demo.reg" "$work/registry.reg"
mkdir -p "$work/runtime"
chmod 700 "$work/runtime"

VELNET_REGISTRY="$work/registry.reg" VELNET_NO_RESTART=1 QT_QPA_PLATFORM=offscreen \
  XDG_RUNTIME_DIR="$work/runtime" \
  "$dir/bin/nicsetup_screenshots" "$top/docs/screenshots"
