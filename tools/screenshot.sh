#!/usr/bin/env bash
# Starts the program on a virtual display and saves a PNG of the screen.
# Usage: tools/screenshot.sh [out.png] [program arguments...]
#        tools/screenshot.sh --progress [out.png]   (the progress window with sample errors)
set -euo pipefail
source "$(dirname "$0")/lib/common.sh"
program="$ROOT/build/win/bin/vorto.exe"
if [ "${1:-}" = "--progress" ]; then
  program="$ROOT/build/win/bin/progress_demo.exe"
  shift
  set -- "${1:-$ROOT/build/progress.png}" 8
fi
out="${1:-$ROOT/build/vorto.png}"
shift || true

[ -x "$program" ] || { install_packages; build_windows; }
prefix="${VORTO_SHOT_PREFIX:-$ROOT/build/shot-prefix}"
cleanup() { stop_wine; stop_xvfb; }
trap cleanup EXIT
start_xvfb
start_wine "$prefix"
wine "$program" "$@" &
for _ in $(seq 1 100); do
  xwininfo -root -tree 2>/dev/null | grep -q -E '"(Vorto|Progress)' && break
  sleep 0.2
done
sleep "${VORTO_SHOT_DELAY:-2}"
import -window root "$out"
echo "Screenshot: $out"
