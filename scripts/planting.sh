#!/usr/bin/env bash
# The planting sweep in full: a module that records its own loading, left
# under every name the library or the modules it loads ask for, in the host
# program's folder, the current folder, the first folder on PATH and on the
# medium, one folder at a time, for every kind of run (tests/faults/).
# Usage: bash scripts/planting.sh [win32|win64]   (default win32, the
# shipping build; a machine that cannot run 32-bit code sweeps win64 and
# says so). Prints every planted copy that was loaded, and last:
#   planting: N names, F folders, K kinds, L loaded
# The test suite runs every kind once with the four folders planted at once.
set -uo pipefail
cd "$(dirname "$0")/.."
preset=${1:-win32}
if [ "$preset" = win32 ] && ! bash scripts/can-run-32bit.sh; then
  echo "planting: this machine's kernel cannot run 32-bit code, so the x86_64 build is swept"
  preset=win64
fi
build=$PWD/build/$preset
export DIALOGINT_BUILD_DIR=$build
[ -x "$build/bin/faults_tests.exe" ] || { echo "planting: build $preset first (cmake --build --preset $preset)" >&2; exit 99; }
log=$(mktemp)
trap 'rm -f "$log"' EXIT
xvfb-run -a -s "-screen 0 1024x768x24" bash scripts/under-wine.sh bash -c \
  'PLANTING_SWEEP=all "$WINE" "$DIALOGINT_BUILD_DIR/bin/faults_tests.exe" --gtest_filter=PlantingSweep.EachFolderOnItsOwn' \
  > "$log" 2>&1
status=$?
grep -a "^planting: " "$log" || { echo "planting: the sweep did not finish"; tail -20 "$log"; exit 1; }
exit "$status"
