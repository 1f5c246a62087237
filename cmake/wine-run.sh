#!/usr/bin/env bash
# Runs one Windows program of a build tree under Wine, in the build tree's own
# prefix: 32-bit Wine in a 32-bit prefix for the shipping (i686) build, wine64
# for the x86_64 build (the build tree's wine.env says which). The prefix is
# made on first use; the wineserver and the X display are those the test
# script started, or new ones when run alone.
set -u
build=${DIALOGINT_BUILD_DIR:-$PWD}
while [ ! -f "$build/wine.env" ] && [ "$build" != "/" ]; do build=$(dirname "$build"); done
[ -f "$build/wine.env" ] || { echo "wine-run: no build tree above $PWD" >&2; exit 99; }
. "$build/wine.env"
export WINE WINEARCH
export WINEPREFIX=${WINEPREFIX:-$build/wineprefix}
export DIALOGINT_BUILD_DIR=${DIALOGINT_BUILD_DIR:-$build}
export WINEDEBUG=${WINEDEBUG:--all}
# No Mono/Gecko prompt; CTL3D32 only as a native module (the tests' stand-in), never Wine's own.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=;ctl3d32=n}
[ -x "$WINE" ] || { echo "wine-run: $WINE missing" >&2; exit 99; }
bash "$(dirname "$0")/wine-prefix.sh" || exit 99
if [ -z "${DISPLAY:-}" ]; then
  echo "wine-run: no DISPLAY; run through scripts/test.sh or xvfb-run" >&2
  exit 99
fi
exec "$WINE" "$@"
