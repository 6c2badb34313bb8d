#!/usr/bin/env bash
# Draws the icon from its one picture, quorrel.svg (a tile of four texture
# swatches behind a mip-level staircase): the window icon quorrel.png (64 x 64)
# and the desktop icons at the hicolor sizes under packaging/icons (the SVG
# itself is installed as the scalable one). Run it
# after changing the picture (needs rsvg-convert, from librsvg2-bin), then
# commit the files; the build only reads them.
set -euo pipefail
cd "$(dirname "$0")"
rsvg-convert -w 64 -h 64 quorrel.svg -o quorrel.png
hicolor=../../packaging/icons/hicolor
app=io.github.quorrel.Quorrel
for size in 16 22 24 32 48 64 128 256; do
  mkdir -p "$hicolor/${size}x${size}/apps"
  rsvg-convert -w "$size" -h "$size" quorrel.svg -o "$hicolor/${size}x${size}/apps/$app.png"
done
