#!/bin/sh
# Renders the program icon mirtun.svg into the PNG sizes of the icon theme
# (16 to 256 pixels), next to this script: mirtun-<size>.png. The PNGs are
# committed; run this again after changing the SVG (needs rsvg-convert from
# librsvg2-bin).
set -e
cd "$(dirname "$0")"
for size in 16 24 32 48 64 128 256; do
  rsvg-convert -w "$size" -h "$size" mirtun.svg -o "mirtun-$size.png"
done
