#!/usr/bin/env bash
# Starts or stops the loopback FTP peer for a test run.
# Usage: ftp_peer.sh start|stop STATE_DIR [NAME [RATE [LIMIT]]]
# NAME (default "ftp") names the port file NAME.port in STATE_DIR; RATE
# (bytes per second, 0 for none) throttles the data connections like a slow
# link; LIMIT (default none) caps the connections the server takes from one
# address.
set -u
action="$1"
state="$2"
name="${3:-ftp}"
rate="${4:-0}"
limit="${5:-0}"
case "$action" in
  start)
    mkdir -p "$state"
    rm -f "$state/$name.port"
    FTP_PEER_RATE="$rate" /usr/bin/python3 "$(dirname "$0")/ftp_server.py" "$state" "$name" 0 "$limit" >"$state/$name.log" 2>&1 &
    echo $! >"$state/$name.pid"
    for _ in $(seq 1 100); do
      [ -s "$state/$name.port" ] && exit 0
      kill -0 "$(cat "$state/$name.pid")" 2>/dev/null || break
      sleep 0.1
    done
    echo "FTP peer did not start:" >&2
    cat "$state/$name.log" >&2
    exit 1
    ;;
  stop)
    [ -f "$state/$name.pid" ] && kill "$(cat "$state/$name.pid")" 2>/dev/null
    rm -f "$state/$name.pid" "$state/$name.port"
    exit 0
    ;;
esac
exit 2
