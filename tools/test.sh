#!/usr/bin/env bash
# Installs what is missing, builds both trees and runs every test: the
# portable core natively (ASan/UBSan), then the Windows tests through Wine
# on a virtual display, in a fresh Wine prefix. Exits non-zero on any failure.
set -uo pipefail
source "$(dirname "$0")/lib/common.sh"

install_packages || exit 1
build_native || { echo "native build failed" >&2; exit 1; }
build_windows || { echo "Windows build failed" >&2; exit 1; }

status=0
echo "== Portable core (native, sanitizers)"
(cd "$ROOT/build/native" && ctest --output-on-failure -j"$(nproc)") || status=1

# A short run of every fuzz harness on each test run; longer runs are
# described in the README.
echo "== Fuzz harnesses (${VORTO_FUZZ_SECONDS:-10} s each)"
if build_fuzzers; then
  for fuzzer in "$ROOT"/build/fuzz/tests/*_fuzz; do
    [ -x "$fuzzer" ] || continue
    corpus="$ROOT/build/fuzz/corpus/$(basename "$fuzzer")"
    mkdir -p "$corpus"
    if "$fuzzer" -max_total_time="${VORTO_FUZZ_SECONDS:-10}" -max_len=65536 -rss_limit_mb=2048 \
        "$corpus" >"$corpus.log" 2>&1; then
      echo "$(basename "$fuzzer"): $(grep -o 'Done [0-9]* runs' "$corpus.log" | tail -1)"
    else
      echo "$(basename "$fuzzer") FAILED:" >&2
      tail -40 "$corpus.log" >&2
      status=1
    fi
  done
else
  echo "fuzz build failed" >&2
  status=1
fi

prefix="$(mktemp -d /tmp/vorto-test-prefix.XXXXXX)"
cleanup() { stop_wine; stop_xvfb; rm -rf "$prefix"; }
trap cleanup EXIT
start_xvfb || exit 1
start_wine "$prefix"

echo "== Windows layer and program (Wine)"
# Tests that share the registry never run at the same time (resource lock).
(cd "$ROOT/build/win" && ctest --output-on-failure -j"$(nproc)" --timeout 300) || status=1

exit $status
