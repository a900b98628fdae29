#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Draws the pictures again, offscreen, with the programs of tools/:
#   bash tools/screenshots.sh [WHAT...]
# WHAT is one or more of
#   cards      the NIC pictures the card-type libraries embed
#              (libraries/*/*/picture/*.png)
#   echo       cardcheck's echo test pictures (cardcheck/resources/images)
#   nicsetup   nicsetup's dialogs, on a copy of the demo hive (docs/screenshots)
#   cardcheck  cardcheck's General page and its opening warning on the
#              simulated NICs, and the General page on this machine's first
#              Ethernet NIC through the real libraries, which only read it
#   pages      cardcheck's Diagnostics page after a run and the echo test
#              dialog while it sends, a second process answering
#   all        every one of these (the default)
# The build folder is BUILD_DIR, else build/run (the demo's); it is made when
# missing.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"

usage() {
  sed -n '3,17p' "$0" | sed 's/^# \{0,1\}//' >&2
  exit 2
}

what=("$@")
[ ${#what[@]} -gt 0 ] || what=(all)
for w in "${what[@]}"; do
  case "$w" in
  cards | echo | nicsetup | cardcheck | pages) ;;
  all) what=(cards echo nicsetup cardcheck pages) && break ;;
  *) usage ;;
  esac
done

source "$top/scripts/deps.sh"
velnet_install_missing
dir="${BUILD_DIR:-$top/build/run}"
if [ ! -f "$dir/CMakeCache.txt" ]; then
  cmake -S "$top" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELNET_BENCHMARKS=OFF >/dev/null
fi

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/runtime" "$top/docs/screenshots"
chmod 700 "$work/runtime"

# Runs a program offscreen on a fresh copy of the demo registry.
offscreen() {
  cp "$top/examples/registry/demo.reg" "$work/registry.reg"
  env -u NICPORT_SCENARIO QT_QPA_PLATFORM=offscreen VELNET_NO_RESTART=1 \
    VELNET_REGISTRY="$work/registry.reg" XDG_RUNTIME_DIR="$work/runtime" "$@"
}

draw_cards() {
  cmake --build "$dir" -j 2 --target draw_card_pictures
  offscreen "$dir/bin/draw_card_pictures" "$top"
}

draw_echo() {
  cmake --build "$dir" -j 2 --target draw_echo_images
  offscreen "$dir/bin/draw_echo_images" "$top/cardcheck/resources/images"
}

draw_nicsetup() {
  cmake --build "$dir" -j 2 --target nicsetup_screenshots
  offscreen "$dir/bin/nicsetup_screenshots" "$top/docs/screenshots"
}

draw_cardcheck() {
  cmake --build "$dir" -j 2 --target cardcheck_screenshots nicport vx410cfg vx210cfg \
    linuxnicport ethcfg
  offscreen env VELNET_LIBRARY_PATH="$dir/lib/velnet/simulated" \
    "$dir/bin/cardcheck_screenshots" "$top/docs/screenshots/cardcheck-general.png" \
    "$top/docs/screenshots/cardcheck-warning.png"
  offscreen env -u VELNET_LIBRARY_PATH -u VELNET_NICS \
    "$dir/bin/cardcheck_screenshots" "$top/docs/screenshots/cardcheck-general-real.png"
}

draw_pages() {
  cmake --build "$dir" -j 2 --target cardcheck_pages_screenshots cardcheck_echo_responder \
    nicport vx410cfg
  offscreen env VELNET_LIBRARY_PATH="$dir/lib/velnet/simulated:$dir/lib/velnet" \
    "$dir/bin/cardcheck_pages_screenshots" "$top/docs/screenshots" \
    "$dir/bin/cardcheck_echo_responder" 2> >(grep -v "does not support" >&2)
}

for w in "${what[@]}"; do
  "draw_$w"
  echo "Drew the $w pictures"
done
