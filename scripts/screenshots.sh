#!/usr/bin/env bash
# Shows each installer dialog on a virtual display and saves a picture of it
# in docs/screenshots/: the main dialog, the category list, the detail pages
# of the viewers (two share a file) and of the integrations (one cannot be
# installed), and the space warning; the same at 144 dpi in
# docs/screenshots/144dpi/ and at 192 dpi in docs/screenshots/192dpi/, under
# a dark high-contrast theme in docs/screenshots/high-contrast/, in each
# language (English, French, German, Spanish) in docs/screenshots/lang/<code>/,
# and each language module on a Western, a Japanese and a Cyrillic system (Wine
# started in that locale, which sets the system's code page and dialog font) in
# docs/screenshots/systems/<system>/<code>/. The dialogs run in the program
# dialog_screenshots under Wine; for each picture it writes <name>.ready with
# the window's rectangle into a handshake folder, this script crops the
# display to it and answers with <name>.done.
#   DIALOGINT_BUILD_DIR=build/<name> bash scripts/screenshots.sh
set -euo pipefail
cd "$(dirname "$0")/.."

# A dark high-contrast theme, as a user switches it on: the system colours
# and the high-contrast flag in the user's registry, which each new Wine
# process reads; "off" puts the prefix's own colours back.
contrast_theme() {
  local colours='HKCU\Control Panel\Colors' contrast='HKCU\Control Panel\Accessibility\HighContrast'
  local kept=$SCREENSHOTS_HANDSHAKE/colours.reg
  if [ "$1" = on ]; then
    rm -f "$kept"
    "$WINE" reg export "$colours" "Z:${kept//\//\\}" >/dev/null 2>&1 || true
    local pair
    for pair in "Window=0 0 0" "WindowText=255 255 255" "Hilight=26 235 255" "HilightText=0 0 0" \
                "GrayText=63 242 63" "ButtonFace=0 0 0" "ButtonText=255 255 255" "ButtonShadow=128 128 128" \
                "ButtonHilight=255 255 255" "ButtonLight=192 192 192" "ButtonDkShadow=255 255 255" \
                "WindowFrame=255 255 255" "ActiveTitle=128 0 128" "TitleText=255 255 255" "Background=0 0 0"; do
      "$WINE" reg add "$colours" /v "${pair%%=*}" /t REG_SZ /d "${pair#*=}" /f >/dev/null 2>&1
    done
    "$WINE" reg add "$contrast" /v Flags /t REG_SZ /d 127 /f >/dev/null 2>&1
  else
    "$WINE" reg delete "$colours" /f >/dev/null 2>&1 || true
    [ -s "$kept" ] && "$WINE" reg import "Z:${kept//\//\\}" >/dev/null 2>&1
    "$WINE" reg delete "$contrast" /v Flags /f >/dev/null 2>&1 || true
  fi
  return 0
}

# Inside the virtual display and the Wine session: run the program and take
# each picture it asks for.
if [ "${1:-}" = --photograph ]; then
  # One run per resolution and language: "<dpi> <language> <folder> [contrast|plain [locale]]".
  if [ $# -gt 1 ]; then
    status=0
    for run in "${@:2}"; do
      read -r dpi language folder theme locale <<< "$run"
      # Wine takes the resolution from the registry when a process starts.
      "$WINE" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
      [ "${theme:-}" = contrast ] && contrast_theme on
      mkdir -p "$folder"
      # The handshake of the run before must not answer this one's pictures.
      rm -f "$SCREENSHOTS_HANDSHAKE"/*.done "$SCREENSHOTS_HANDSHAKE"/*.ready
      SCREENSHOTS_OUT=$folder SCREENSHOTS_LANGUAGE=$language SCREENSHOTS_LOCALE=${locale:-} \
        bash "$0" --photograph || status=$?
      [ "${theme:-}" = contrast ] && contrast_theme off
    done
    "$WINE" reg delete 'HKCU\Control Panel\Desktop' /v LogPixels /f >/dev/null 2>&1
    exit "$status"
  fi
  # Wine sees the Unix root as drive Z:.
  windowsPath="Z:${SCREENSHOTS_HANDSHAKE//\//\\}"
  # Wine takes the system's code page from the locale it starts in.
  if [ -n "${SCREENSHOTS_LOCALE:-}" ]; then
    LC_ALL=$SCREENSHOTS_LOCALE "$WINE" "$DIALOGINT_BUILD_DIR/bin/dialog_screenshots.exe" "$windowsPath" \
      ${SCREENSHOTS_LANGUAGE:-} &
  else
    "$WINE" "$DIALOGINT_BUILD_DIR/bin/dialog_screenshots.exe" "$windowsPath" ${SCREENSHOTS_LANGUAGE:-} &
  fi
  program=$!
  while kill -0 "$program" 2>/dev/null; do
    for ready in "$SCREENSHOTS_HANDSHAKE"/*.ready; do
      [ -e "$ready" ] || continue
      name=$(basename "$ready" .ready)
      read -r left top width height < "$ready"
      import -window root -crop "${width}x${height}+${left}+${top}" +repage "$SCREENSHOTS_OUT/$name.png"
      echo "screenshots: $name.png (${width}x${height})"
      rm -f "$ready"
      touch "$SCREENSHOTS_HANDSHAKE/$name.done"
    done
    sleep 0.2
  done
  status=0
  wait "$program" || status=$?
  [ "$status" -eq 0 ] || echo "screenshots: dialog_screenshots ended with $status" >&2
  exit "$status"
fi

build=$(cd "${DIALOGINT_BUILD_DIR:-build/win32}" && pwd)
out=$PWD/docs/screenshots
command -v import >/dev/null || { echo "screenshots: ImageMagick's import is missing" >&2; exit 99; }
cmake --build "$build" --target dialog_screenshots luinsres >/dev/null
mkdir -p "$out"
handshake=$(mktemp -d)
trap 'rm -rf "$handshake"' EXIT
export DIALOGINT_BUILD_DIR=$build SCREENSHOTS_HANDSHAKE=$handshake
runs=("96 en $out" "144 en $out/144dpi" "192 en $out/192dpi" "96 en $out/high-contrast contrast")
for language in en fr de es; do runs+=("96 $language $out/lang/$language"); done
# Every language module the build makes, on each system: one row per system.
systems=("western en_US.UTF-8" "japanese ja_JP.UTF-8" "cyrillic ru_RU.UTF-8")
for row in "${systems[@]}"; do
  read -r system locale <<< "$row"
  for module in "$build"/bin/media/lang/*/; do
    language=$(basename "$module")
    runs+=("96 $language $out/systems/$system/$language plain $locale")
  done
done
# Room for the dialogs at 192 dpi, twice their usual size.
xvfb-run -a -s "-screen 0 2048x1536x24" bash scripts/under-wine.sh bash scripts/screenshots.sh --photograph "${runs[@]}"
