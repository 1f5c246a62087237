#!/usr/bin/env bash
# Runs a command with a build tree's Wine prefix ready and one persistent
# wineserver for the whole run (a Wine process starts much faster then).
# DIALOGINT_BUILD_DIR names the build tree (default build/win64); its wine.env
# says which Wine runs it: 32-bit Wine in a 32-bit prefix for the shipping
# build, wine64 for the x86_64 one. The command finds that Wine in $WINE.
# Fails loudly when Wine cannot start.
set -uo pipefail
cd "$(dirname "$0")/.."
build=${DIALOGINT_BUILD_DIR:-$PWD/build/win64}
[ -f "$build/wine.env" ] || { echo "under-wine: $build is not a configured build tree" >&2; exit 99; }
. "$build/wine.env"
export WINE WINEARCH
export WINEPREFIX=$build/wineprefix
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;ctl3d32=n"
export DIALOGINT_BUILD_DIR=$build
SERVER=/usr/lib/wine/wineserver
[ -x "$WINE" ] || { echo "under-wine: $WINE missing" >&2; exit 99; }

bash cmake/wine-prefix.sh || exit 99
"$SERVER" -p
trap '"$SERVER" -k 2>/dev/null' EXIT
# A start failure must not pass for a test run.
if ! "$WINE" cmd /c exit 0 >/dev/null 2>&1; then
  echo "under-wine: $WINE does not start in $WINEPREFIX" >&2
  exit 99
fi
"$@"
