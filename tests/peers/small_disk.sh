#!/usr/bin/env bash
# Mounts (or unmounts) a 256 KiB tmpfs at STATE_DIR/mnt, a local disk that
# fills up, for the tests of a full disk. Where mounting is not allowed the
# folder holds a file "unavailable" instead and those tests skip.
# Usage: small_disk.sh start|stop STATE_DIR
set -u
action="$1"
state="$2"
case "$action" in
  start)
    mkdir -p "$state/mnt"
    rm -f "$state/unavailable"
    mountpoint -q "$state/mnt" && umount "$state/mnt"
    if ! mount -t tmpfs -o size=256k,mode=0777 vorto-small-disk "$state/mnt" 2>"$state/mount.log"; then
      cp "$state/mount.log" "$state/unavailable"
    fi
    exit 0
    ;;
  stop)
    mountpoint -q "$state/mnt" && umount "$state/mnt"
    exit 0
    ;;
esac
exit 2
