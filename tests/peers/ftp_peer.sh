#!/usr/bin/env bash
# Starts or stops the loopback FTP peer for a test run.
# Usage: ftp_peer.sh start|stop STATE_DIR
set -u
action="$1"
state="$2"
case "$action" in
  start)
    mkdir -p "$state"
    rm -f "$state/ftp.port"
    /usr/bin/python3 "$(dirname "$0")/ftp_server.py" "$state" >"$state/ftp.log" 2>&1 &
    echo $! >"$state/ftp.pid"
    for _ in $(seq 1 100); do
      [ -s "$state/ftp.port" ] && exit 0
      kill -0 "$(cat "$state/ftp.pid")" 2>/dev/null || break
      sleep 0.1
    done
    echo "FTP peer did not start:" >&2
    cat "$state/ftp.log" >&2
    exit 1
    ;;
  stop)
    [ -f "$state/ftp.pid" ] && kill "$(cat "$state/ftp.pid")" 2>/dev/null
    rm -f "$state/ftp.pid" "$state/ftp.port"
    exit 0
    ;;
esac
exit 2
