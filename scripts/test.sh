#!/usr/bin/env bash
# The test command: installs what is missing, builds the shipping (win32) and
# the tested (win64) presets, checks the shipped DLL's exports and imports,
# and runs every test under wine64 on a virtual display.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

cmake --preset win32 >/dev/null
cmake --build --preset win32
bash scripts/check-exports.sh build/win32/bin

cmake --preset win64 >/dev/null
cmake --build --preset win64

# The parsing code, built natively with the sanitizers, over its kept corpus.
bash scripts/fuzz-replay.sh

xvfb-run -a -s "-screen 0 1024x768x24" bash scripts/under-wine.sh ctest --preset win64 "$@"
