#!/usr/bin/env bash
# Builds and runs the benchmarks and prints their figures: the crypto
# primitives natively (optimised, no sanitizers) and under Wine, side by
# side with `openssl speed` measured in the same run, listing, the socket
# layer's receive throughput, then the program's start-up time under Wine
# and the time from a start with /c to the first server listing shown.
#
# VORTO_BENCH_NATIVE_DIR and VORTO_BENCH_WIN_DIR choose other build folders
# (default build/bench and build/win).
set -euo pipefail
source "$(dirname "$0")/lib/common.sh"
install_packages
native_dir="${VORTO_BENCH_NATIVE_DIR:-$ROOT/build/bench}"
win_dir="${VORTO_BENCH_WIN_DIR:-$ROOT/build/win}"
cmake -S "$ROOT" -B "$native_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVORTO_SANITIZE=OFF >/dev/null
cmake --build "$native_dir" --target bench_crypto bench_listing
cmake -S "$ROOT" -B "$win_dir" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64.cmake" >/dev/null
cmake --build "$win_dir" --target bench_crypto bench_startup bench_ftplist bench_net bench_transfer vorto vortores

prefix="$(mktemp -d /tmp/vorto-bench-prefix.XXXXXX)"
figures="$(mktemp -d /tmp/vorto-bench-figures.XXXXXX)"
cleanup() { stop_wine; stop_xvfb; rm -rf "$prefix" "$figures"; }
trap cleanup EXIT
start_xvfb
start_wine "$prefix"

keys="$ROOT/tests/data/crypto/keys.txt"
echo "== Crypto primitives, native"
"$native_dir/tests/bench_crypto" "$keys" | tee "$figures/native"
echo "== Crypto primitives, under Wine"
# Wine maps the Unix root to drive Z:, so the Unix path of the keys works.
wine "$win_dir/bin/bench_crypto.exe" "$keys" </dev/null | tr -d '\r' | tee "$figures/wine"
echo "== Side by side with openssl speed"
python3 "$ROOT/tests/bench/crypto_compare.py" "$figures/native" "$figures/wine"

echo "== Listing"
"$native_dir/tests/bench_listing"
# A 10,000-entry directory on a loopback server: enumerated under Wine, and
# the same directory's LIST text through the parser natively.
# The anonymous user must be able to reach the folder, so it lives in build/.
peer="$ROOT/build/bench-peer"
rm -rf "$peer"
bash "$ROOT/tests/peers/vsftpd_peer.sh" start "$peer" >/dev/null
vport="$(cat "$peer/vsftpd.port")"
mkdir -p "$peer/anon/pub/big"
(cd "$peer/anon/pub/big" && for i in $(seq 1 10000); do : >"file-$i.dat"; done)
curl -s -X "LIST -alL" "ftp://127.0.0.1:$vport/pub/big/" >"$figures/big-listing.txt"
"$native_dir/tests/bench_listing" "$figures/big-listing.txt"
wine "$win_dir/bin/bench_ftplist.exe" "$vport" /pub/big </dev/null | tr -d '\r'
bash "$ROOT/tests/peers/vsftpd_peer.sh" stop "$peer" >/dev/null

echo "== Socket layer receive under Wine (16 MiB per connection)"
/usr/bin/python3 "$ROOT/tests/bench/net_source.py" "$figures/net.port" 16 30 &
source_pid=$!
for _ in $(seq 1 100); do [ -f "$figures/net.port" ] && break; sleep 0.1; done
wine "$win_dir/bin/bench_net.exe" "$(cat "$figures/net.port")" 16 5 </dev/null | tr -d '\r'
kill "$source_pid" 2>/dev/null || true
wait "$source_pid" 2>/dev/null || true
echo "== Transfers under Wine beside curl"
VORTO_BENCH_WIN_DIR="$win_dir" bash "$ROOT/tools/bench_transfer.sh"

echo "== Start-up under Wine"
# Then start with /c on a profile for a pyftpdlib peer whose folder holds
# 17 files, until the server pane shows them; curl lists the same folder
# in the same run for comparison.
fpeer="$figures/ftp-peer"
bash "$ROOT/tests/peers/ftp_peer.sh" start "$fpeer" >/dev/null
fport="$(cat "$fpeer/ftp.port")"
mkdir -p "$fpeer/root/first"
for i in $(seq 1 17); do echo "$i" >"$fpeer/root/first/entry-$i.txt"; done
curl_ms=$(for _ in 1 2 3 4 5 6 7; do curl -s -o /dev/null -w '%{time_total}\n' "ftp://127.0.0.1:$fport/first/"; done |
  sort -n | awk '{a[NR]=$1} END {printf "%.1f", 1000 * a[int((NR+1)/2)]}')
wine "$win_dir/bin/bench_startup.exe" "$win_dir/bin/vorto.exe" "$fport" /first 17 1 </dev/null | tr -d '\r'
# The same on four connections, without the start-up figures again.
wine "$win_dir/bin/bench_startup.exe" "$win_dir/bin/vorto.exe" "$fport" /first 17 4 </dev/null | tr -d '\r' |
  grep "first"
echo "the same 17-entry listing by curl (connect, login, list): median $curl_ms ms over 7 runs"
bash "$ROOT/tests/peers/ftp_peer.sh" stop "$fpeer" >/dev/null
