#!/usr/bin/env bash
# Builds the tested (x86_64) preset into a build folder of its own and runs the
# benchmark of the setup data work under wine64. BENCH_BUILD_DIR chooses the
# folder (default build/bench).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BENCH_BUILD_DIR:-$PWD/build/bench}
cmake --preset win64 -B "$build" >/dev/null
cmake --build "$build" --target setup_data_bench
DIALOGINT_BUILD_DIR=$build bash scripts/under-wine.sh /usr/lib/wine/wine64 "$build/bin/setup_data_bench.exe"
