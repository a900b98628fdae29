#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Renders the menu icons from their SVG sources at the sizes installed into
# the hicolor theme (needs rsvg-convert, Debian package librsvg2-bin). The PNG
# files are kept in the repository; run this only after changing an SVG.
set -euo pipefail
cd "$(dirname "$0")"
for icon in velnet-nicsetup velnet-cardcheck; do
  for size in 16 24 32 48 64 128 256; do
    mkdir -p "$size"
    rsvg-convert -w "$size" -h "$size" -o "$size/$icon.png" "$icon.svg"
  done
done
