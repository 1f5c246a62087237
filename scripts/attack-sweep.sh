#!/usr/bin/env bash
# The common part of scripts/planting.sh and scripts/names.sh: runs one of
# faults_tests' attacker sweeps in full on a preset's build, under its Wine
# prefix on a virtual display, and prints the sweep's lines.
# Usage: bash scripts/attack-sweep.sh <planting|names> [win32|win64]
set -uo pipefail
cd "$(dirname "$0")/.."
sweep=${1:?planting or names}
case $sweep in
  planting) variable=PLANTING_SWEEP filter=PlantingSweep.EachFolderOnItsOwn ;;
  names) variable=NAMES_SWEEP filter=NamesSweep.EveryKind ;;
  *) echo "usage: bash scripts/attack-sweep.sh <planting|names> [win32|win64]" >&2; exit 2 ;;
esac
preset=${2:-win32}
if [ "$preset" = win32 ] && ! bash scripts/can-run-32bit.sh; then
  echo "$sweep: this machine's kernel cannot run 32-bit code, so the x86_64 build is swept"
  preset=win64
fi
build=$PWD/build/$preset
export DIALOGINT_BUILD_DIR=$build
[ -x "$build/bin/faults_tests.exe" ] || { echo "$sweep: build $preset first (cmake --build --preset $preset)" >&2; exit 99; }
log=$(mktemp)
trap 'rm -f "$log"' EXIT
VARIABLE=$variable FILTER=$filter xvfb-run -a -s "-screen 0 1024x768x24" bash scripts/under-wine.sh bash -c \
  'env "$VARIABLE=all" "$WINE" "$DIALOGINT_BUILD_DIR/bin/faults_tests.exe" --gtest_filter="$FILTER"' > "$log" 2>&1
status=$?
grep -a "^$sweep: " "$log" || { echo "$sweep: the sweep did not finish"; tail -20 "$log"; exit 1; }
exit "$status"
