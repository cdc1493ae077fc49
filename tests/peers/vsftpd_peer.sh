#!/usr/bin/env bash
# Starts or stops vsftpd on a free loopback port with its own config: an
# anonymous root and the local user "vortoftp" (password "vortopass"), both
# writable. Needs root (CI and the README's commands run as root).
# Usage: vsftpd_peer.sh start|stop STATE_DIR
set -u
action="$1"
state="$2"
user=vortoftp
case "$action" in
  start)
    mkdir -p "$state/anon/pub" "$state/home" /var/run/vsftpd/empty
    if ! id "$user" >/dev/null 2>&1; then
      useradd -M -d "$state/home" -s /bin/sh "$user" || exit 1
    fi
    usermod -d "$state/home" "$user"
    echo "$user:vortopass" | chpasswd
    chown "$user" "$state/home"
    chmod 555 "$state/anon"
    chown ftp "$state/anon/pub" 2>/dev/null || chmod 777 "$state/anon/pub"
    port=$(/usr/bin/python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
    cat >"$state/vsftpd.conf" <<CONF
listen=YES
listen_address=127.0.0.1
listen_port=$port
background=NO
anonymous_enable=YES
anon_root=$state/anon
anon_upload_enable=YES
anon_mkdir_write_enable=YES
anon_other_write_enable=YES
local_enable=YES
write_enable=YES
chmod_enable=YES
local_umask=022
pasv_enable=YES
pasv_min_port=41000
pasv_max_port=41200
pam_service_name=vsftpd
seccomp_sandbox=NO
secure_chroot_dir=/var/run/vsftpd/empty
xferlog_enable=NO
CONF
    /usr/sbin/vsftpd "$state/vsftpd.conf" >"$state/vsftpd.log" 2>&1 &
    echo $! >"$state/vsftpd.pid"
    for _ in $(seq 1 50); do
      if /usr/bin/python3 -c "import socket; socket.create_connection(('127.0.0.1',$port),1)" 2>/dev/null; then
        echo "$port" >"$state/vsftpd.port"
        exit 0
      fi
      kill -0 "$(cat "$state/vsftpd.pid")" 2>/dev/null || break
      sleep 0.1
    done
    echo "vsftpd did not start:" >&2
    cat "$state/vsftpd.log" >&2
    exit 1
    ;;
  stop)
    [ -f "$state/vsftpd.pid" ] && kill "$(cat "$state/vsftpd.pid")" 2>/dev/null
    rm -f "$state/vsftpd.pid" "$state/vsftpd.port"
    exit 0
    ;;
esac
exit 2
