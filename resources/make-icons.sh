#!/usr/bin/env bash
# Draws the PNG icons ruvello16.png ... ruvello512.png from ruvello.svg with
# ImageMagick's convert. The PNGs are committed, so a build never needs
# ImageMagick; run this again after changing the SVG.
#
# The SVG is drawn on a 64-unit canvas, and the renderer's 72 dpi makes one unit
# one pixel: a density of 72 * size / 64 draws it at the wanted size directly,
# so small icons are not blurred by scaling a large picture down. The resize
# that follows only guards against rounding. -strip and the excluded date
# chunks keep the files byte-identical from one run to the next.
set -euo pipefail
cd "$(dirname "$0")"
for size in 16 24 32 48 256 512; do
  density=$(( (72 * size + 63) / 64 ))
  convert -background none -density "$density" ruvello.svg \
    -resize "${size}x${size}" -depth 8 -strip \
    -define png:exclude-chunks=date,time "PNG32:ruvello$size.png"
done

# The window icon compiled into the programs (an XPM is C source) and the
# Windows icon resource 101: the 32x32 picture in 16 colours, as Windows shows
# it at scale 1, then the 48- and 256-pixel pictures (the latter kept as PNG
# inside the file) for the DPI-aware programs on scaled screens.
convert ruvello32.png -colors 48 xpm:- \
  | sed 's/^static const char \*.*\[\] = {/static const char* const ruvello32_xpm[] = {/' > ruvello32.xpm
convert ruvello32.png -colors 16 ruvello48.png ruvello256.png ruvello.ico
