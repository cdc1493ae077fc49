#!/usr/bin/env bash
# Installs what is missing, builds vorto.exe and vortores.dll, and starts
# the program under Wine on your display. Settings live in the Wine prefix
# ~/.wine-vorto (or $WINEPREFIX), so they survive between runs.
#
# tools/run.sh --demo also starts a small FTP server on 127.0.0.1 port 21
# with a few sample files and opens the program connected to it through
# quick connect; the server stops when the program exits.
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
if [ "${1:-}" = "--demo" ]; then
  shift
  demo="$ROOT/build/demo"
  mkdir -p "$demo/root/docs" "$demo/root/site/images"
  printf 'Welcome to the Vorto demo server.\r\n' >"$demo/root/readme.txt"
  printf '<html><body>Hello</body></html>\n' >"$demo/root/site/index.html"
  printf 'body { color: #223; }\n' >"$demo/root/site/style.css"
  head -c 200000 /dev/urandom >"$demo/root/site/images/photo.jpg"
  printf 'Notes\n' >"$demo/root/docs/notes.txt"
  /usr/bin/python3 "$ROOT/tests/peers/ftp_server.py" "$demo" demo 21 >"$demo/server.log" 2>&1 &
  server=$!
  trap 'kill $server 2>/dev/null' EXIT
  for _ in $(seq 1 50); do [ -s "$demo/demo.port" ] && break; sleep 0.1; done
  if [ ! -s "$demo/demo.port" ]; then
    echo "The demo FTP server could not listen on 127.0.0.1:21 (is another server there? see $demo/server.log)" >&2
    exit 1
  fi
  wine "$ROOT/build/win/bin/vorto.exe" ftp://127.0.0.1 "$@"
  exit $?
fi
exec wine "$ROOT/build/win/bin/vorto.exe" "$@"
