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
exec bash "$(dirname "$0")/attack-sweep.sh" names "$@"
