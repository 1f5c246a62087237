#!/usr/bin/env bash
# Replays the runs that unattended_tests recorded, where there is no display
# at all: DISPLAY unset and no X server, in a Wine prefix and a wineserver of
# the build tree's own (a wineserver started under the test display would
# lend the run its desktop there). Argument: the build tree.
set -u
build=${1:?build tree}
. "$build/wine.env"
export WINE WINEARCH
export WINEPREFIX=$build/wineprefix-nodisplay
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;ctl3d32=n"
unset DISPLAY WAYLAND_DISPLAY
SERVER=/usr/lib/wine/wineserver
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  "$WINE" wineboot -i >/dev/null 2>&1
  "$SERVER" -w
  [ -f "$WINEPREFIX/system.reg" ] || { echo "no_display: Wine prefix could not be created" >&2; exit 1; }
fi
# The CTL3D stand-in where the real module lives, as cmake/wine-prefix.sh puts it.
cmp -s "$build/bin/system32/CTL3D32.dll" "$WINEPREFIX/drive_c/windows/system32/ctl3d32.dll" ||
  cp "$build/bin/system32/CTL3D32.dll" "$WINEPREFIX/drive_c/windows/system32/ctl3d32.dll"
"$SERVER" -p
trap '"$SERVER" -k 2>/dev/null' EXIT
DIALOGINT_NO_DISPLAY=1 "$WINE" "$build/bin/unattended_tests.exe" --gtest_filter='NoDisplay*' --gtest_color=no
