#!/usr/bin/env bash
# Builds Tovi and its benchmark programs, then measures tovi.exe against the
# floor program on a private X display and Wine prefix and prints the figures
# (docs/performance.md explains them). Takes about an hour; the options of
# scripts/bench.py (--runs, --idle-seconds, ...) pass through.
# BENCH_BUILD_DIR and BENCH_PREFIX choose other folders than build/bench and build/bench-prefix.
set -euo pipefail
. "$(dirname "$0")/common.sh"
cd "$TOVI_ROOT"

ensure_packages "${TOVI_PACKAGES[@]}"

build=${BENCH_BUILD_DIR:-$TOVI_ROOT/build/bench}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE="$TOVI_ROOT/cmake/mingw-w64.cmake" >/dev/null
cmake --build "$build" -j "$(nproc)" --target bench

start_xvfb
trap 'stop_wine; stop_xvfb' EXIT
make_prefix "${BENCH_PREFIX:-$TOVI_ROOT/build/bench-prefix}"
/usr/bin/python3 scripts/bench.py --build "$build" --work "$build/bench-work" --xvfb-pid "$TOVI_XVFB_PID" "$@"
