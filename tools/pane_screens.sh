#!/usr/bin/env bash
# Screenshots of both panes in each view (details, list, large icons),
# once with the server pane active and once with the local one. Needs a
# built Windows tree, the display in DISPLAY and a Wine prefix in
# WINEPREFIX; starts its own FTP peer. Output: build/screens/*.png
set -eu
source "$(dirname "$0")/lib/common.sh"
out="$ROOT/build/screens"
peer="$ROOT/build/win/peers/ftp"
mkdir -p "$out"
rm -f "$out"/*.ready "$out"/*.done
started=0
if [ ! -s "$peer/ftp.port" ]; then
  bash "$ROOT/tests/peers/ftp_peer.sh" start "$peer"
  started=1
fi
shotdir_win="Z:$(echo "$out" | tr / '\\')"
VORTO_SHOT_DIR="$shotdir_win" WINEDEBUG=-all wine "$ROOT/build/win/bin/ui_tests.exe" \
  --gtest_also_run_disabled_tests --gtest_filter='Panes.DISABLED_ScreensOfEachView' >"$out/run.log" 2>&1 &
runner=$!
for view in details-server list-server icons-server details-local list-local icons-local; do
  for _ in $(seq 1 300); do [ -e "$out/$view.ready" ] && break; sleep 0.1; done
  import -window root "$out/$view.png" || true
  touch "$out/$view.done"
done
wait "$runner" || true
[ "$started" = 1 ] && bash "$ROOT/tests/peers/ftp_peer.sh" stop "$peer"
rm -f "$out"/*.ready "$out"/*.done
ls "$out"/*.png
