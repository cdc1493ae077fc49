#!/usr/bin/env bash
# Starts the program on a virtual display and saves a PNG of the screen.
# Usage: tools/screenshot.sh [options] [out.png] [program arguments...]
#        tools/screenshot.sh --progress [out.png]   (the progress window with sample errors)
# Options: --small (16-pixel toolbar images), --expanded (quick-connect bar
# with its user and password fields), --bar-settings (the bar settings
# dialog open), --colors N (toolbar colour level 0, 1 or 2).
set -euo pipefail
source "$(dirname "$0")/lib/common.sh"
program="$ROOT/build/win/bin/vorto.exe"
if [ "${1:-}" = "--progress" ]; then
  program="$ROOT/build/win/bin/progress_demo.exe"
  shift
  set -- "${1:-$ROOT/build/progress.png}" 8
fi
settings=()
command=""
while [ $# -gt 0 ]; do
  case "$1" in
    --small) settings+=("LargeToolbar 0") ;;
    --expanded) settings+=("QuickExpanded 1") ;;
    --colors) settings+=("ColorToolbar $2"); shift ;;
    --bar-settings) command=4149 ;;
    *) break ;;
  esac
  shift
done
out="${1:-$ROOT/build/vorto.png}"
shift || true

[ -x "$program" ] || { install_packages; build_windows; }
prefix="${VORTO_SHOT_PREFIX:-$ROOT/build/shot-prefix}"
cleanup() { stop_wine; stop_xvfb; }
trap cleanup EXIT
start_xvfb
start_wine "$prefix"
common='HKCU\Software\Ostravine\Vorto\Common'
wine reg delete "$common" /f >/dev/null 2>&1 </dev/null || true
for ((i = 0; i < ${#settings[@]}; i++)); do
  read -r name value <<<"${settings[$i]}"
  wine reg add "$common" /v "$name" /t REG_DWORD /d "$value" /f >/dev/null 2>&1 </dev/null
done
wine "$program" "$@" &
for _ in $(seq 1 100); do
  xwininfo -root -tree 2>/dev/null | grep -q -E '"(Vorto|Progress)' && break
  sleep 0.2
done
[ -n "$command" ] && wine "$ROOT/build/win/bin/post_command.exe" "$command" </dev/null
sleep "${VORTO_SHOT_DELAY:-2}"
import -window root "$out"
echo "Screenshot: $out"
