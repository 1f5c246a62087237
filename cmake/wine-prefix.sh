#!/usr/bin/env bash
# Makes the Wine prefix $WINEPREFIX ready for the tests, with $WINE and
# $WINEARCH set by the caller: created on first use, with Wine's own fonts
# (Debian's Wine does not find them where fonts-wine puts them, so dialogs
# would fall back to a wide substitute and the caption buttons would lack
# Marlett's glyphs), with Japanese fonts for Japanese text, and with
# unmanaged windows (without a window manager on
# the virtual display Wine would wait for one at every hidden window).
set -u
SERVER=/usr/lib/wine/wineserver
changed=0
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "creating Wine prefix $WINEPREFIX ($WINEARCH)" >&2
  "$WINE" wineboot -i >/dev/null 2>&1
  "$SERVER" -w
  [ -f "$WINEPREFIX/system.reg" ] || { echo "wine-prefix: Wine prefix could not be created" >&2; exit 99; }
fi
fonts=$WINEPREFIX/drive_c/windows/Fonts
if [ -d /usr/share/wine/fonts ] && [ ! -f "$fonts/marlett.ttf" ]; then
  mkdir -p "$fonts"
  cp /usr/share/wine/fonts/* "$fonts/"
  changed=1
fi
# Japanese text: fonts from Debian's packages, linked into the prefix, take
# the place of the fonts a Japanese Windows has. On code page 932 "MS Shell
# Dlg" stands for "MS UI Gothic"; on every other system Tahoma links to "MS UI
# Gothic" for the characters it lacks. Wine's replacements make these names
# (and the Gothic faces programs name) Debian's faces: VL PGothic
# (fonts-vlgothic) for the proportional ones, as its Latin and Cyrillic
# letters are proportional as the Windows faces' are (IPA P Gothic draws
# Cyrillic at full width, twice as wide), IPA Gothic for the fixed one.
linkFont() {  # the font file, linked into the prefix's font folder
  if [ -f "$1" ] && [ ! -e "$fonts/$(basename "$1")" ]; then
    ln -sf "$1" "$fonts/$(basename "$1")"
    changed=1
  fi
}
linkFont /usr/share/fonts/opentype/ipafont-gothic/ipag.ttf
linkFont /usr/share/fonts/truetype/vlgothic/VL-PGothic-Regular.ttf
for pair in "MS UI Gothic=VL PGothic" "MS PGothic=VL PGothic" "MS Gothic=IPAGothic"; do
  if ! grep -qF "\"${pair%%=*}\"=\"${pair#*=}\"" "$WINEPREFIX/user.reg" 2>/dev/null; then
    "$WINE" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "${pair%%=*}" /d "${pair#*=}" /f >/dev/null 2>&1
    changed=1
  fi
done
if ! grep -q '"Managed"="N"' "$WINEPREFIX/user.reg" 2>/dev/null; then
  "$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
  changed=1
fi
# The CTL3D stand-in goes where the real module lives: the prefix's system
# folder (the 64-bit one in a 64-bit prefix, which is system32 too). The
# library loads it from there alone. It replaces the placeholder wineboot put
# there under the lower-case name: two names that differ in case alone would
# be one file to Windows and two to Wine.
standin=${DIALOGINT_BUILD_DIR:-}/bin/system32/CTL3D32.dll
system=$WINEPREFIX/drive_c/windows/system32
if [ -n "${DIALOGINT_BUILD_DIR:-}" ] && [ -f "$standin" ] && ! cmp -s "$standin" "$system/ctl3d32.dll"; then
  rm -f "$system/CTL3D32.dll" "$system/CTL3D32.dll.aside"
  cp "$standin" "$system/ctl3d32.dll"
fi
[ "$changed" = 0 ] || "$SERVER" -w
[ -f "$fonts/marlett.ttf" ] || { echo "wine-prefix: Wine's fonts (fonts-wine) are missing" >&2; exit 99; }
[ -e "$fonts/ipag.ttf" ] || { echo "wine-prefix: the IPA Gothic font (fonts-ipafont-gothic) is missing" >&2; exit 99; }
[ -e "$fonts/VL-PGothic-Regular.ttf" ] || { echo "wine-prefix: the VL PGothic font (fonts-vlgothic) is missing" >&2; exit 99; }
exit 0
