#!/usr/bin/env bash
# Builds and runs the benchmarks, printing their figures.
set -euo pipefail
source "$(dirname "$0")/lib/common.sh"
install_packages
build_windows
prefix="$(mktemp -d /tmp/vorto-bench-prefix.XXXXXX)"
cleanup() { stop_wine; stop_xvfb; rm -rf "$prefix"; }
trap cleanup EXIT
start_xvfb
start_wine "$prefix"
cmake --build "$ROOT/build/win" --target bench
