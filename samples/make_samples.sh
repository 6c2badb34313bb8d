#!/usr/bin/env bash
# Rebuilds the sample scenes and the sample mip chain, byte for byte:
#   samples/scene_new.T3D  nine textures in the new format
#   samples/scene_old.T3D  the same scene in the old format
#   samples/tga/           crate_A.tga, crate_A1.tga, crate_A2.tga, to replace
#                          texture 0 (crate_A) with
#
# usage: samples/make_samples.sh [PATH/TO/quorrel-cli]
# Without an argument it uses $QUORREL_CLI, or build/release/cli/quorrel-cli
# (built by `make run`). Needs python3 to draw the pictures.
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
cli="${1:-${QUORREL_CLI:-$here/../build/release/cli/quorrel-cli}}"
if [[ ! -x "$cli" ]]; then
    echo "make_samples.sh: no quorrel-cli at $cli; build it with" >&2
    echo "  cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release && cmake --build build/release --target quorrel-cli" >&2
    exit 1
fi

sources="$(mktemp -d)"
trap 'rm -rf "$sources"' EXIT

python3 "$here/make_pictures.py" "$sources" "$here/tga"

# Depths 8 (colour-mapped and grey), 16, 24 and 32; one to eight levels.
"$cli" pack "$here/scene_new.T3D" \
    "$sources/crate_A.tga" "$sources/marble_Z.tga" "$sources/bricks_E.tga" \
    "$sources/floor_V.tga" "$sources/sky_EZ.tga" "$sources/glass_AD.tga" \
    "$sources/banner_U.tga" "$sources/tiles_F.tga" "$sources/rail.tga"
# TGA files hold 16-bit pixels as 5-5-5; the floor is stored as 5-6-5.
"$cli" replace "$here/scene_new.T3D" floor_V "$sources/floor_V.tga" --rgb565
"$cli" convert "$here/scene_new.T3D" "$here/scene_old.T3D" --old-format
"$cli" list "$here/scene_new.T3D"
