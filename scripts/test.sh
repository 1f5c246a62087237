#!/usr/bin/env bash
# The test command: installs what is missing, builds the shipping (win32) and
# the x86_64 (win64) presets, checks the shipped DLL's exports and imports,
# replays the fuzz corpus, and runs the whole suite of each build under Wine
# on a virtual display: the shipping build under 32-bit Wine in a 32-bit
# prefix, the x86_64 build under wine64. A machine whose kernel cannot run
# 32-bit code tests the x86_64 build alone, and says so.
# Arguments go to both ctest runs (for example -R dialogs_tests).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

run32=1
if ! bash scripts/can-run-32bit.sh; then
  echo "test: this machine's kernel cannot run 32-bit code, so only the x86_64 build is tested"
  run32=0
fi

cmake --preset win32 >/dev/null
cmake --build --preset win32
bash scripts/check-exports.sh build/win32/bin

cmake --preset win64 >/dev/null
cmake --build --preset win64

# The parsing code, built natively with the sanitizers, over its kept corpus.
bash scripts/fuzz-replay.sh

status=0
if [ "$run32" = 1 ]; then
  echo "test: the shipping build (i686) under 32-bit Wine"
  DIALOGINT_BUILD_DIR=$PWD/build/win32 xvfb-run -a -s "-screen 0 1024x768x24" \
    bash scripts/under-wine.sh ctest --preset win32 "$@" || status=$?
fi
echo "test: the x86_64 build under wine64"
DIALOGINT_BUILD_DIR=$PWD/build/win64 xvfb-run -a -s "-screen 0 1024x768x24" \
  bash scripts/under-wine.sh ctest --preset win64 "$@" || status=$?
exit "$status"
