#!/usr/bin/env bash
# Renders resources/icon.mvg into resources/installer.ico (256, 48, 32 and 16 px,
# 32-bit RGBA). Running it again gives a byte-identical file.
set -euo pipefail
export LC_ALL=C

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
source_mvg=$root/resources/icon.mvg
output_ico=$root/resources/installer.ico

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# Each size is drawn from the vector source at 8 times its size without
# antialiasing and then box-averaged down, which gives exact pixel coverage;
# ImageMagick's own antialiasing blurs edges by half a pixel, too much at 16 px.
# The -0.5 shift puts the drawing's grid lines on pixel edges rather than
# on pixel centres, so edges on the 16-unit grid stay sharp.
for size in 256 48 32 16; do
  big=$((size * 8))
  scale=$(awk -v s="$size" 'BEGIN { printf "%.6f", s / 32 }')
  {
    printf 'viewbox 0 0 %d %d\naffine %s,0,0,%s,-0.5,-0.5\n' "$big" "$big" "$scale" "$scale"
    grep -v '^viewbox' "$source_mvg"
  } > "$tmp/icon-$size.mvg"
  convert -background none +antialias "mvg:$tmp/icon-$size.mvg" -scale 12.5% \
    -strip +set date:create +set date:modify -define png:exclude-chunks=date,time \
    "PNG32:$tmp/icon-$size.png"
done

# -r keeps the 256 px image as PNG inside the icon, as Windows Vista and later
# expect; the smaller ones become 32-bit BMP entries.
icotool --create --output="$output_ico" --raw="$tmp/icon-256.png" \
  "$tmp/icon-48.png" "$tmp/icon-32.png" "$tmp/icon-16.png"
