#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Renders the pictures from their SVG sources at normal and double pixel
# density (needs rsvg-convert, Debian package librsvg2-bin). The PNG files are
# kept in the repository; run this only after changing an SVG.
set -euo pipefail
cd "$(dirname "$0")"
for svg in bug137 logo141 splash142 warning143; do
  rsvg-convert -z 1 -o "$svg.png" "$svg.svg"
  rsvg-convert -z 2 -o "$svg@2x.png" "$svg.svg"
done
for size in 16 32 48 64; do
  rsvg-convert -w $size -h $size -o "warning143-icon-$size.png" warning143-icon.svg
done
