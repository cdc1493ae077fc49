#!/usr/bin/env bash
# Installs what is missing, builds vorto.exe and vortores.dll, and starts
# the program under Wine on your display. Settings live in the Wine prefix
# ~/.wine-vorto (or $WINEPREFIX), so they survive between runs.
set -euo pipefail
source "$(dirname "$0")/lib/common.sh"

install_packages
build_windows

if [ -z "${DISPLAY:-}" ]; then
  cat >&2 <<MSG
The program is built in $ROOT/build/win/bin, but there is no display to show it on.
- On a desktop, run this command from a terminal of that desktop (DISPLAY must be set).
- Over SSH, connect with X forwarding (ssh -X) and run it again.
- Without any display, tools/screenshot.sh starts it on a virtual display and saves a picture.
MSG
  exit 2
fi

export WINEPREFIX="${WINEPREFIX:-$HOME/.wine-vorto}" WINEDEBUG="${WINEDEBUG:--all}"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "Preparing the Wine prefix $WINEPREFIX (once)..."
  WINEDLLOVERRIDES="mscoree,mshtml=" wineboot -i >/dev/null 2>&1 || true
  wineserver -w
fi
exec wine "$ROOT/build/win/bin/vorto.exe" "$@"
