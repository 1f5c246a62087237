#!/usr/bin/env bash
# The planted-name sweep in full: a file and links to a victim file left at
# the names the library's writers could take (today's default setup logs,
# the new files beside install.ini and the answer file, the log a run
# names), for every kind of run, each run logging (tests/faults/).
# Usage: bash scripts/names.sh [win32|win64]   (default win32, the shipping
# build; a machine that cannot run 32-bit code sweeps win64 and says so).
# Prints every planted name written through, and last:
#   names: N names, K kinds, W written through
# The test suite runs the kinds that show dialogs.
set -uo pipefail
cd "$(dirname "$0")/.."
preset=${1:-win32}
if [ "$preset" = win32 ] && ! bash scripts/can-run-32bit.sh; then
  echo "names: this machine's kernel cannot run 32-bit code, so the x86_64 build is swept"
  preset=win64
fi
build=$PWD/build/$preset
export DIALOGINT_BUILD_DIR=$build
[ -x "$build/bin/faults_tests.exe" ] || { echo "names: build $preset first (cmake --build --preset $preset)" >&2; exit 99; }
log=$(mktemp)
trap 'rm -f "$log"' EXIT
xvfb-run -a -s "-screen 0 1024x768x24" bash scripts/under-wine.sh bash -c \
  'NAMES_SWEEP=all "$WINE" "$DIALOGINT_BUILD_DIR/bin/faults_tests.exe" --gtest_filter=NamesSweep.EveryKind' \
  > "$log" 2>&1
status=$?
grep -a "^names: " "$log" || { echo "names: the sweep did not finish"; tail -20 "$log"; exit 1; }
exit "$status"
