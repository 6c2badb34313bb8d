#!/usr/bin/env bash
# The window's load of a 1 GiB scene beside `quorrel-cli list` of the same
# file, a process pair run by turns under a virtual X server:
#   bench/window_load.sh [BUILD_DIR [ROUNDS]]   (defaults: build/release, 3)
# The scene: 48 textures of 2048 x 2048 x 32 with every level, packed from
# TGA files of noise. A round times `quorrel-cli list` to its end, then the
# window from its start until its title names the scene (polled with
# xdotool). Target: window <= 1.3 x list + 0.3 s. The scene goes to
# $QUORREL_BENCH_DIR (or the system's temporary folder) and is removed at the
# end, as is everything the script starts. QUORREL_BENCH_DISPLAY picks the
# display (default: the first free one).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/release}
rounds=${2:-3}
cli=$build/cli/quorrel-cli
app=$build/app/quorrel

work=$(mktemp -d "${QUORREL_BENCH_DIR:-${TMPDIR:-/tmp}}/quorrel-window-XXXXXX")
mkdir -m 700 "$work/runtime"
xvfb_pid=
wm_pid=
app_pid=
cleanup() {
  set +e
  for pid in $app_pid $wm_pid $xvfb_pid; do
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
  done
  rm -rf "$work"
}
trap cleanup EXIT

now() { date +%s%N; }
seconds() { awk -v ns="$1" 'BEGIN { printf "%.3f", ns / 1e9 }'; }

# The scene, from TGA files of noise (uncompressed, 32 bits, top-left origin).
for i in $(seq -w 1 48); do
  /usr/bin/python3 -c 'import os, struct, sys
side = 2048
head = struct.pack("<BBBHHBHHHHBB", 0, 0, 2, 0, 0, 0, 0, 0, side, side, 32, 0x28)
open(sys.argv[1], "wb").write(head + os.urandom(side * side * 4))' "$work/tex$i.tga"
done
"$cli" pack "$work/big.T3D" "$work"/tex*.tga >/dev/null
rm -f "$work"/tex*.tga
echo "scene: $(($(stat -c %s "$work/big.T3D") >> 20)) MiB"

if [ -n "${QUORREL_BENCH_DISPLAY:-}" ]; then
  Xvfb "$QUORREL_BENCH_DISPLAY" -screen 0 1600x1000x24 -nolisten tcp &
  xvfb_pid=$!
  display=$QUORREL_BENCH_DISPLAY
else
  exec 3>"$work/display"
  Xvfb -displayfd 3 -screen 0 1600x1000x24 -nolisten tcp &
  xvfb_pid=$!
  for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
  display=:$(cat "$work/display")
fi
export DISPLAY=$display XDG_RUNTIME_DIR=$work/runtime
sleep 1
openbox >/dev/null 2>&1 &
wm_pid=$!
sleep 1

printf '%-6s %10s %10s %10s %s\n' round list_s window_s limit_s met
for round in $(seq "$rounds"); do
  start=$(now)
  "$cli" list "$work/big.T3D" >/dev/null
  list=$(($(now) - start))

  start=$(now)
  "$app" "$work/big.T3D" >/dev/null 2>&1 &
  app_pid=$!
  until xdotool search --name "big.T3D" >/dev/null 2>&1; do
    kill -0 "$app_pid" 2>/dev/null || { echo "window_load: the window ended early" >&2; exit 1; }
    sleep 0.02
  done
  window=$(($(now) - start))
  kill "$app_pid"
  wait "$app_pid" 2>/dev/null || true
  app_pid=

  limit=$((list * 13 / 10 + 300000000))
  printf '%-6s %10s %10s %10s %s\n' "$round" "$(seconds $list)" "$(seconds $window)" "$(seconds $limit)" \
    "$([ "$window" -le "$limit" ] && echo yes || echo no)"
done
