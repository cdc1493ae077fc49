#!/usr/bin/env bash
# Builds and runs the benchmarks and prints their figures: the crypto
# primitives natively (optimised, no sanitizers), then the program's
# start-up time under Wine.
set -euo pipefail
source "$(dirname "$0")/lib/common.sh"
install_packages
cmake -S "$ROOT" -B "$ROOT/build/bench" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVORTO_SANITIZE=OFF >/dev/null
cmake --build "$ROOT/build/bench" --target bench
build_windows
prefix="$(mktemp -d /tmp/vorto-bench-prefix.XXXXXX)"
cleanup() { stop_wine; stop_xvfb; rm -rf "$prefix"; }
trap cleanup EXIT
start_xvfb
start_wine "$prefix"
cmake --build "$ROOT/build/win" --target bench
