#!/usr/bin/env bash
# Renders the wizard's picture from its SVG source at normal and double pixel
# density (needs rsvg-convert, Debian package librsvg2-bin). The PNG files are
# kept in the repository; run this only after changing the SVG.
set -euo pipefail
cd "$(dirname "$0")"
rsvg-convert -z 1 -o bug137.png bug137.svg
rsvg-convert -z 2 -o bug137@2x.png bug137.svg
