#!/usr/bin/env bash
# Takes a picture of the editor's main window under a virtual X server.
#   scripts/screenshot.sh [OUT.png [BUILD_DIR]]   (defaults: docs/screenshot.png, build/release)
# The window shows the first scene in samples/ (or a small demo scene made for
# the picture) with its first texture selected and a PNG chosen in the folder
# tree: the sample TGA chain written as PNG, as an artist extracts it to paint. Everything the script starts is stopped again, also on failure.
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:-docs/screenshot.png}
build=${2:-build/release}

scripts/install-deps.sh xvfb xauth imagemagick
[ -f "$build/CMakeCache.txt" ] || cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release
cmake --build "$build" -j"$(nproc)" --target quorrel quorrel-screenshot-driver
driver=$build/tests/app/quorrel-screenshot-driver

work=$(mktemp -d)
mkdir -m 700 "$work/runtime"
xvfb_pid=
driver_pid=
cleanup() {
  set +e
  if [ -n "$driver_pid" ]; then kill "$driver_pid" 2>/dev/null; wait "$driver_pid" 2>/dev/null; fi
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null; wait "$xvfb_pid" 2>/dev/null; fi
  rm -rf "$work"
}
trap cleanup EXIT

# Wait (up to 30 s) until a file has a line matching a pattern.
wait_for_line() {
  for _ in $(seq 300); do
    grep -q "$2" "$1" 2>/dev/null && return 0
    sleep 0.1
  done
  echo "screenshot: timed out waiting for $3" >&2
  return 1
}

scene=$(find samples -maxdepth 2 -name '*.T3D' 2>/dev/null | LC_ALL=C sort | head -n 1)
tga=$(find samples -maxdepth 2 -name '*.tga' 2>/dev/null | LC_ALL=C sort | head -n 1)
mkdir "$work/Textures"
if [ -n "$scene" ] && [ -n "$tga" ]; then
  png=$(basename "${tga%.*}").png
  QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR=$work/runtime "$driver" --png "$tga" "$work/Textures/$png"
else
  QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR=$work/runtime "$driver" --demo "$work/Textures"
  scene=$work/Textures/demo.T3D
  png=tiles_A.png
fi

# Xvfb picks a free display number and writes it to fd 3.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" >/dev/null 2>"$work/xvfb.log" &
xvfb_pid=$!
wait_for_line "$work/display" '[0-9]' "the X server"
export DISPLAY=:$(head -n 1 "$work/display")
unset WAYLAND_DISPLAY QT_QPA_PLATFORM
[ -n "${XDG_RUNTIME_DIR:-}" ] || export XDG_RUNTIME_DIR=$work/runtime

"$driver" "$(realpath "$scene")" 0 "$work/Textures" "$png" \
  >"$work/driver.out" 2>"$work/driver.log" &
driver_pid=$!
wait_for_line "$work/driver.out" '^window ' "the editor window"
window=$(awk '/^window /{print $2; exit}' "$work/driver.out")

mkdir -p "$(dirname "$out")"
import -window "$window" "$out"
echo "screenshot: wrote $out"
