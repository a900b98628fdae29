#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Renders the README's pictures of cardcheck's General page from the real
# dialogs, offscreen, on a copy of the demo registry: on the simulated NICs,
# and on this machine's first Ethernet NIC through the real libraries (which
# only read it):
#   bash scripts/screenshots-cardcheck.sh [BUILD-DIR]
#     -> docs/screenshots/cardcheck-general.png, docs/screenshots/cardcheck-warning.png,
#        docs/screenshots/cardcheck-general-real.png
# BUILD-DIR defaults to the demo's build folder, build/run.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
dir="${1:-$top/build/run}"
if [ ! -f "$dir/CMakeCache.txt" ]; then
  cmake -S "$top" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELNET_BENCHMARKS=OFF >/dev/null
fi
cmake --build "$dir" -j 2 --target cardcheck_screenshots nicport vx410cfg vx210cfg \
  linuxnicport ethcfg

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cp "$top/examples/registry/demo.reg" "$work/registry.reg"
mkdir -p "$top/docs/screenshots"
env -u NICPORT_SCENARIO QT_QPA_PLATFORM=offscreen VELNET_NO_RESTART=1 \
  VELNET_LIBRARY_PATH="$dir/lib/velnet/simulated" \
  VELNET_REGISTRY="$work/registry.reg" XDG_RUNTIME_DIR="$work" \
  "$dir/bin/cardcheck_screenshots" "$top/docs/screenshots/cardcheck-general.png" \
  "$top/docs/screenshots/cardcheck-warning.png"
cp "$top/examples/registry/demo.reg" "$work/registry.reg"
env -u NICPORT_SCENARIO -u VELNET_LIBRARY_PATH -u VELNET_NICS QT_QPA_PLATFORM=offscreen \
  VELNET_NO_RESTART=1 VELNET_REGISTRY="$work/registry.reg" XDG_RUNTIME_DIR="$work" \
  "$dir/bin/cardcheck_screenshots" "$top/docs/screenshots/cardcheck-general-real.png"
echo "Wrote docs/screenshots/cardcheck-general.png, cardcheck-warning.png and cardcheck-general-real.png"
