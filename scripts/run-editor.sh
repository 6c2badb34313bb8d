#!/usr/bin/env bash
# Starts the editor from a build folder; says clearly when there is no display.
set -euo pipefail
build=$1
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "quorrel: no display found (DISPLAY is not set). Start it from a desktop session," >&2
  echo "or see scripts/screenshot.sh for running it under Xvfb." >&2
  exit 1
fi
if [ "$(id -u)" -eq 0 ] && [ -z "${XDG_RUNTIME_DIR:-}" ]; then
  XDG_RUNTIME_DIR=$(mktemp -d)
  export XDG_RUNTIME_DIR
fi
exec "$build/app/quorrel"
