#!/usr/bin/env bash
# Draws the window icon, quorrel.png (64 x 64): a tile of four texture swatches
# behind a mip-level staircase. Run it after changing the picture, then commit
# the PNG; the build only reads the PNG.
set -euo pipefail
cd "$(dirname "$0")"
convert -size 64x64 xc:none \
  -fill '#2b5d8a' -draw 'roundrectangle 0,0 63,63 8,8' \
  -fill '#c8873a' -draw 'rectangle 6,6 31,31' \
  -fill '#6fa84a' -draw 'rectangle 32,6 57,31' \
  -fill '#6fa84a' -draw 'rectangle 6,32 31,57' \
  -fill '#c8873a' -draw 'rectangle 32,32 57,57' \
  -fill white -draw 'rectangle 12,40 27,55' \
  -fill white -draw 'rectangle 30,48 37,55' \
  -fill white -draw 'rectangle 40,52 43,55' \
  -strip PNG32:quorrel.png
