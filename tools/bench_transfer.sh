#!/usr/bin/env bash
# Transfer benchmark: the engine under Wine against vsftpd on loopback,
# (vsftpd here spends about 0.13 s on each transfer, whoever the client is,
# so the 200-file figures are bound by that, for curl and for us alike)
# beside curl against the same server in the same run. Prints MiB/s for
# one large file down and up (per copy-block size), 200 files of 1 MiB on
# 1, 4 and 8 connections, and the engine's peak memory.
#
# VORTO_BENCH_BIG_MIB sets the large file's size (default 256; 1024 for
# the 1 GiB run). Expects build/win to be built (bench_transfer.exe);
# tools/bench.sh builds it. Runs anonymously in the peer's own pub folder
# (the local test user is shared by every vsftpd peer on the machine).
set -euo pipefail
source "$(dirname "$0")/lib/common.sh"
win_dir="${VORTO_BENCH_WIN_DIR:-$ROOT/build/win}"
big_mib="${VORTO_BENCH_BIG_MIB:-256}"
peer="$ROOT/build/bench-transfer-peer"
scratch="$(mktemp -d /tmp/vorto-bench-transfer.XXXXXX)"
own_wine=0
if [ -z "${WINEPREFIX:-}" ]; then
  own_wine=1
  start_xvfb
  start_wine "$scratch/prefix"
fi
slow="$scratch/slowpeer"
cleanup() {
  bash "$ROOT/tests/peers/vsftpd_peer.sh" stop "$peer" >/dev/null 2>&1 || true
  bash "$ROOT/tests/peers/ftp_peer.sh" stop "$slow" slow >/dev/null 2>&1 || true
  rm -rf "$peer/anon/pub/big.bin" "$peer/anon/pub/small" "$peer/anon/pub/up" "$scratch/files"
  if [ "$own_wine" = 1 ]; then stop_wine; stop_xvfb; fi
  rm -rf "$scratch"
}
trap cleanup EXIT

rm -rf "$peer"
bash "$ROOT/tests/peers/vsftpd_peer.sh" start "$peer" >/dev/null
port="$(cat "$peer/vsftpd.port")"
home="$peer/anon/pub"
head -c "$((big_mib << 20))" /dev/urandom >"$home/big.bin"
mkdir -p "$home/small" "$home/up"
for i in $(seq 1 200); do head -c 1048576 /dev/urandom >"$home/small/f$i.bin"; done
chown ftp "$home/up"
url="ftp://127.0.0.1:$port/pub"

median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
mibps() { awk -v b="$1" -v s="$2" 'BEGIN {printf "%.1f", b / 1048576 / s}'; }
now() { date +%s.%N; }

echo "== curl on the same server (single file: medians of 3; 200 files: one run)"
mkdir -p "$scratch/files"
down=$(for _ in 1 2 3; do curl -s -o "$scratch/files/big.bin" -w '%{time_total}\n' "$url/big.bin"; done | median)
up=$(for _ in 1 2 3; do curl -s -T "$scratch/files/big.bin" -w '%{time_total}\n' "$url/up/big.bin"; done | median)
echo "single file $big_mib MiB: download $(mibps $((big_mib << 20)) "$down") MiB/s, upload $(mibps $((big_mib << 20)) "$up") MiB/s"
for n in 1 4 8; do
  urls=(); for i in $(seq 1 200); do urls+=("$url/small/f$i.bin" -o "$scratch/files/f$i.bin"); done
  a=$(now); curl -s --no-progress-meter --parallel --parallel-max "$n" "${urls[@]}" 2>/dev/null; b=$(now); d=$(echo "$b - $a" | bc)
  ups=(); for i in $(seq 1 200); do ups+=(-T "$scratch/files/f$i.bin" "$url/up/f$i.bin"); done
  a=$(now); curl -s --no-progress-meter --parallel --parallel-max "$n" "${ups[@]}" 2>/dev/null; b=$(now); u=$(echo "$b - $a" | bc)
  echo "200 files, $n connection(s): download $(mibps $((200 << 20)) "$d") MiB/s, upload $(mibps $((200 << 20)) "$u") MiB/s"
done
rm -rf "$scratch/files" "$home/up"/*

bash "$ROOT/tests/peers/ftp_peer.sh" start "$slow" slow 20480 >/dev/null
mkdir -p "$slow/root/slow/up"
head -c 262144 /dev/urandom >"$slow/root/slow/slow.bin"

echo "== vorto under Wine (single file: medians of 3; 200 files: one run; slow link: one run each)"
wine "$win_dir/bin/bench_transfer.exe" "$port" anonymous - /pub "$(winepath -w "$scratch/files" 2>/dev/null)" \
  "$(cat "$slow/slow.port")" /slow </dev/null | tr -d '\r'
