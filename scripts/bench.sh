#!/usr/bin/env bash
# Builds the benchmark of the setup data work in a preset's build tree and runs
# it under that tree's Wine: bash scripts/bench.sh [win32|win64] (default
# win32, the shipping build under 32-bit Wine; win64 runs the x86_64 build
# under wine64). With no argument on a machine whose kernel cannot run 32-bit
# code, the x86_64 build runs instead, and the command says so.
set -euo pipefail
cd "$(dirname "$0")/.."
preset=${1:-}
if [ -z "$preset" ]; then
  preset=win32
  if ! bash scripts/can-run-32bit.sh; then
    echo "bench: this machine's kernel cannot run 32-bit code, so the x86_64 build is measured"
    preset=win64
  fi
fi
case $preset in
  win32 | win64) ;;
  *) echo "usage: bash scripts/bench.sh [win32|win64]" >&2; exit 2 ;;
esac
build=$PWD/build/$preset
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" --target setup_data_bench
DIALOGINT_BUILD_DIR=$build bash scripts/under-wine.sh bash -c '"$WINE" "$DIALOGINT_BUILD_DIR/bin/setup_data_bench.exe"'
