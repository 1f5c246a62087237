#!/usr/bin/env bash
# Shows each installer dialog on a virtual display and saves a picture of it
# in docs/screenshots/: the main dialog, the category list, the detail pages
# of the viewers (two share a file) and of the integrations (one cannot be
# installed), and the space warning; the same at 144 dpi in
# docs/screenshots/144dpi/, and in each language (English, French, German,
# Spanish) in docs/screenshots/lang/<code>/. The dialogs run in the program
# dialog_screenshots under Wine; for each picture it writes <name>.ready with
# the window's rectangle into a handshake folder, this script crops the
# display to it and answers with <name>.done.
#   DIALOGINT_BUILD_DIR=build/<name> bash scripts/screenshots.sh
set -euo pipefail
cd "$(dirname "$0")/.."

# Inside the virtual display and the Wine session: run the program and take
# each picture it asks for.
if [ "${1:-}" = --photograph ]; then
  # One run per resolution and language: "<dpi> <language> <folder>".
  if [ $# -gt 1 ]; then
    status=0
    for run in "${@:2}"; do
      read -r dpi language folder <<< "$run"
      # Wine takes the resolution from the registry when a process starts.
      "$WINE" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
      mkdir -p "$folder"
      # The handshake of the run before must not answer this one's pictures.
      rm -f "$SCREENSHOTS_HANDSHAKE"/*.done "$SCREENSHOTS_HANDSHAKE"/*.ready
      SCREENSHOTS_OUT=$folder SCREENSHOTS_LANGUAGE=$language bash "$0" --photograph || status=$?
    done
    "$WINE" reg delete 'HKCU\Control Panel\Desktop' /v LogPixels /f >/dev/null 2>&1
    exit "$status"
  fi
  # Wine sees the Unix root as drive Z:.
  windowsPath="Z:${SCREENSHOTS_HANDSHAKE//\//\\}"
  "$WINE" "$DIALOGINT_BUILD_DIR/bin/dialog_screenshots.exe" "$windowsPath" ${SCREENSHOTS_LANGUAGE:-} &
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

build=$(cd "${DIALOGINT_BUILD_DIR:-build/win64}" && pwd)
out=$PWD/docs/screenshots
command -v import >/dev/null || { echo "screenshots: ImageMagick's import is missing" >&2; exit 99; }
cmake --build "$build" --target dialog_screenshots luinsres >/dev/null
mkdir -p "$out"
handshake=$(mktemp -d)
trap 'rm -rf "$handshake"' EXIT
export DIALOGINT_BUILD_DIR=$build SCREENSHOTS_HANDSHAKE=$handshake
runs=("96 en $out" "144 en $out/144dpi")
for language in en fr de es; do runs+=("96 $language $out/lang/$language"); done
xvfb-run -a -s "-screen 0 1024x768x24" bash scripts/under-wine.sh bash scripts/screenshots.sh --photograph "${runs[@]}"
