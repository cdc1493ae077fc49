#!/usr/bin/env bash
# Starts the program on a virtual display and saves a PNG of the screen.
# Usage: tools/screenshot.sh [out.png] [program arguments...]
set -euo pipefail
source "$(dirname "$0")/lib/common.sh"
out="${1:-$ROOT/build/vorto.png}"
shift || true

[ -x "$ROOT/build/win/bin/vorto.exe" ] || { install_packages; build_windows; }
prefix="${VORTO_SHOT_PREFIX:-$ROOT/build/shot-prefix}"
cleanup() { stop_wine; stop_xvfb; }
trap cleanup EXIT
start_xvfb
start_wine "$prefix"
wine "$ROOT/build/win/bin/vorto.exe" "$@" &
for _ in $(seq 1 100); do
  xwininfo -root -tree 2>/dev/null | grep -q '"Vorto' && break
  sleep 0.2
done
sleep "${VORTO_SHOT_DELAY:-2}"
import -window root "$out"
echo "Screenshot: $out"
