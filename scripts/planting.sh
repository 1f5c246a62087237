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
exec bash "$(dirname "$0")/attack-sweep.sh" planting "$@"
