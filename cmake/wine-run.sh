#!/usr/bin/env bash
# Runs one Windows program of the tested build under wine64, in the build
# tree's own prefix. The prefix is made on first use; the wineserver and the
# X display are those the test script started, or new ones when run alone.
set -u
here=$(cd "$(dirname "$0")" && pwd)
build=${DIALOGINT_BUILD_DIR:-$PWD}
while [ ! -f "$build/CMakeCache.txt" ] && [ "$build" != "/" ]; do build=$(dirname "$build"); done
[ -f "$build/CMakeCache.txt" ] || { echo "wine-run: no build tree above $PWD" >&2; exit 99; }
export WINEPREFIX=${WINEPREFIX:-$build/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
# No Mono/Gecko prompt; CTL3D32 only as a native module (the tests' stand-in), never Wine's own.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=;ctl3d32=n}
WINE=/usr/lib/wine/wine64
[ -x "$WINE" ] || { echo "wine-run: $WINE missing" >&2; exit 99; }
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  "$WINE" wineboot -i >/dev/null 2>&1 || { echo "wine-run: wineboot failed" >&2; exit 99; }
fi
if [ -z "${DISPLAY:-}" ]; then
  echo "wine-run: no DISPLAY; run through scripts/test.sh or xvfb-run" >&2
  exit 99
fi
exec "$WINE" "$@"
