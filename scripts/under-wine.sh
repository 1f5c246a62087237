#!/usr/bin/env bash
# Runs a command with the tested build's Wine prefix ready and one persistent
# wineserver for the whole run (a Wine process starts much faster then).
# Fails loudly when Wine cannot start.
set -uo pipefail
cd "$(dirname "$0")/.."
build=${DIALOGINT_BUILD_DIR:-$PWD/build/win64}
export WINEPREFIX=$build/wineprefix
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;ctl3d32=n"
export DIALOGINT_BUILD_DIR=$build
WINE=/usr/lib/wine/wine64
SERVER=/usr/lib/wine/wineserver

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "creating Wine prefix $WINEPREFIX"
  "$WINE" wineboot -i >/dev/null 2>&1
  "$SERVER" -w
  [ -f "$WINEPREFIX/system.reg" ] || { echo "under-wine: Wine prefix could not be created" >&2; exit 99; }
fi
# Without a window manager on the virtual display, Wine waits for one at
# every hidden window unless its windows are unmanaged.
if ! grep -q '"Managed"="N"' "$WINEPREFIX/user.reg" 2>/dev/null; then
  "$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
  "$SERVER" -w
fi
"$SERVER" -p
trap '"$SERVER" -k 2>/dev/null' EXIT
# A start failure must not pass for a test run.
if ! "$WINE" cmd /c exit 0 >/dev/null 2>&1; then
  echo "under-wine: wine64 does not start" >&2
  exit 99
fi
"$@"
