#!/usr/bin/env bash
# Builds the benchmark of the setup data work in a preset's build tree and runs
# it under that tree's Wine: bash scripts/bench.sh [win32|win64] (default
# win32, the shipping build under 32-bit Wine; win64 runs the x86_64 build
# under wine64).
set -euo pipefail
cd "$(dirname "$0")/.."
preset=${1:-win32}
case $preset in
  win32 | win64) ;;
  *) echo "usage: bash scripts/bench.sh [win32|win64]" >&2; exit 2 ;;
esac
build=$PWD/build/$preset
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" --target setup_data_bench
DIALOGINT_BUILD_DIR=$build bash scripts/under-wine.sh bash -c '"$WINE" "$DIALOGINT_BUILD_DIR/bin/setup_data_bench.exe"'
