#!/usr/bin/env bash
# The main job: builds the package of the shipping build, unpacks it, and runs
# its sample setup host on its sample media under Wine (32-bit Wine, as users
# run the 32-bit DLL; the x86_64 build where this machine cannot run 32-bit
# code), on a virtual display unless one is given.
#
#   bash scripts/run-sample.sh                 the standard setup, unattended,
#                                              then its removal
#   bash scripts/run-sample.sh --answers FILE  the setup FILE answers, then
#                                              its removal (samples/answers/)
#   bash scripts/run-sample.sh --language NAME the setup in another language
#                                              (german, french): the answers
#                                              of samples/answers/NAME.txt
#   bash scripts/run-sample.sh --interactive [setuphost options]
#                                              the real dialogs, for a user on
#                                              the desktop ($DISPLAY)
#   bash scripts/run-sample.sh --keep-pictures [--answers FILE | --language NAME]
#                                              as above, and the pictures
#                                              replace those kept in docs/
#   bash scripts/run-sample.sh [--answers FILE | --language NAME] --record OUT
#                                              as above, and the library
#                                              writes the choices into the
#                                              answer file OUT
#   bash scripts/run-sample.sh --replay FILE   the setup the answer file FILE
#                                              names, with no dialog, then its
#                                              removal (shared files as FILE
#                                              says, else kept); the setup log
#                                              beside the pictures
#
# Unattended runs save a picture of every dialog in
# build/<preset>/sample-screenshots/<answer file>/; only --keep-pictures
# copies them into docs/screenshots/setup/ (another answer file's into
# docs/screenshots/setup/<its name>/).
set -euo pipefail
cd "$(dirname "$0")/.."

# Inside the display and the Wine session (see below).
if [ "${1:-}" = --inside ]; then
  shift
  host="$SAMPLE_BIN/setuphost.exe"
  if [ "${1:-}" = --interactive ]; then
    shift
    exec "$WINE" "$host" "$@"
  fi
  # Wine sees the Unix root as drive Z:.
  winpath() { local p; p=$(cd "$(dirname "$1")" && pwd)/$(basename "$1"); echo "Z:${p//\//\\}"; }
  pictures=$(winpath "$2")
  # A replay runs the host alone, with no dialog; otherwise play_setup.exe
  # (the tests' player, beside it in the package) runs it and presses its
  # dialogs as the answer file says, photographing each.
  if [ "$1" = replay ]; then
    run=("$WINE" "$host")
    played=(--replay "$(winpath "$3")" --log "$pictures\\setup.log")
    removal=("${played[@]}")
  else
    run=("$WINE" "$SAMPLE_BIN/play_setup.exe" --answers "$(winpath "$1")" --screenshots "$pictures" "$(winpath "$host")")
    played=()
    removal=()
    [ -n "${3:-}" ] && played+=(--record "$(winpath "$3")")
  fi
  status=0
  "${run[@]}" "${played[@]}" | tee "$2/setup.out" || status=$?
  [ "$status" -eq 0 ] || exit "$status"
  echo
  # A network installation is not registered: the setup names its folder.
  target=$(sed -n 's/.*remove it with: setuphost --remove --target \(.*\)$/\1/p' "$2/setup.out" | tr -d '\r')
  "${run[@]}" --remove ${target:+--target "$target"} "${removal[@]}"
  exit 0
fi

interactive=0
keep=0
answers=samples/answers/standard.txt
record=
replay=
[ "${1:-}" = --keep-pictures ] && { keep=1; shift; }
case "${1:-}" in
  --interactive) interactive=1; shift ;;
  --answers) [ $# -ge 2 ] || { echo "run-sample: --answers needs a file" >&2; exit 2; }; answers=$2; shift 2 ;;
  --language) [ $# -ge 2 ] || { echo "run-sample: --language needs a language" >&2; exit 2; }
    answers=samples/answers/$(echo "$2" | tr '[:upper:]' '[:lower:]').txt; shift 2 ;;
  --replay) [ $# -ge 2 ] || { echo "run-sample: --replay needs an answer file" >&2; exit 2; }
    replay=$2; shift 2
    [ -f "$replay" ] || { echo "run-sample: no answer file $replay" >&2; exit 2; } ;;
  --record | "") ;;
  *) sed -n '7,35p' "$0" | sed 's/^# \{0,1\}//'; exit 2 ;;
esac
if [ "${1:-}" = --record ] && [ "$interactive" = 0 ] && [ -z "$replay" ]; then
  [ $# -ge 2 ] || { echo "run-sample: --record needs a file" >&2; exit 2; }
  record=$2
  shift 2
  # The library writes it whole; its folder must be there.
  mkdir -p "$(dirname "$record")"
fi
[ "$keep" = 0 ] || [ -z "$replay" ] || { echo "run-sample: a replay shows no dialog to picture" >&2; exit 2; }
[ $# -eq 0 ] || [ "$interactive" = 1 ] || { sed -n '7,35p' "$0" | sed 's/^# \{0,1\}//'; exit 2; }
[ "$interactive" = 1 ] || [ -f "$answers" ] || { echo "run-sample: no answer file $answers" >&2; exit 2; }

bash scripts/install-deps.sh
preset=win32
if ! bash scripts/can-run-32bit.sh; then
  echo "run-sample: this machine's kernel cannot run 32-bit code, so the x86_64 build's package runs instead"
  preset=win64
fi
build=$PWD/build/$preset
cmake --preset $preset >/dev/null
cmake --build --preset $preset --target package
# What users get: the package, unpacked afresh.
package=$(ls "$build"/dialogint-*-$preset.zip)
unpacked=$build/sample-package
rm -rf "$unpacked"
mkdir -p "$unpacked"
(cd "$unpacked" && cmake -E tar xf "$package")
export SAMPLE_BIN=$unpacked/$(basename "$package" .zip)/bin
[ -f "$SAMPLE_BIN/setuphost.exe" ] || { echo "run-sample: the package holds no bin/setuphost.exe" >&2; exit 1; }
echo "run-sample: $(basename "$package"), unpacked in $unpacked"
export DIALOGINT_BUILD_DIR=$build

if [ "$interactive" = 1 ]; then
  [ -n "${DISPLAY:-}" ] || { echo "run-sample: --interactive needs a desktop (DISPLAY)" >&2; exit 2; }
  exec bash scripts/under-wine.sh bash scripts/run-sample.sh --inside --interactive "$@"
fi

name=$(basename "$answers" .txt)
inside=("$answers")
if [ -n "$replay" ]; then
  name=replay-$(basename "$replay" .ini)
  inside=(replay)
fi
shots=$build/sample-screenshots/$name
rm -rf "$shots"
mkdir -p "$shots"
inside+=("$shots")
[ -n "$replay" ] && inside+=("$replay")
[ -n "$record" ] && inside+=("$record")
# An answer file's "language:" line names the system's language of the
# machine it was written for: the run gets that locale (the library then
# settles on the language itself, as on such a Windows).
locale=en_US.UTF-8
if [ -z "$replay" ]; then
  case $(sed -n 's/^language:[[:space:]]*\([a-z]*\).*/\1/p' "$answers" | head -1) in
    german) locale=de_DE.UTF-8 ;;
    french) locale=fr_FR.UTF-8 ;;
    spanish) locale=es_ES.UTF-8 ;;
    japanese) locale=ja_JP.UTF-8 ;;
    russian) locale=ru_RU.UTF-8 ;;
  esac
fi
export LC_ALL=$locale
status=0
if [ -n "${DISPLAY:-}" ] && [ "${DIALOGINT_HEADLESS:-}" != 1 ]; then
  bash scripts/under-wine.sh bash scripts/run-sample.sh --inside "${inside[@]}" || status=$?
else
  xvfb-run -a -s "-screen 0 1024x768x24" \
    bash scripts/under-wine.sh bash scripts/run-sample.sh --inside "${inside[@]}" || status=$?
fi
for bmp in "$shots"/*.bmp; do
  [ -e "$bmp" ] || continue
  convert "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp"
done
echo "run-sample: $(ls "$shots"/*.png 2>/dev/null | wc -l) pictures in $shots"
[ -n "$record" ] && echo "run-sample: the choices recorded in $record"
[ -n "$replay" ] && echo "run-sample: the setup log in $shots/setup.log"

if [ "$keep" = 1 ]; then
  # The standard run's pictures stand in setup/, another answer file's in a
  # folder of its name below.
  out=docs/screenshots/setup
  [ "$name" = standard ] || out=$out/$name
  mkdir -p "$out"
  rm -f "$out"/*.png
  cp "$shots"/*.png "$out"/ 2>/dev/null || true
  echo "run-sample: pictures kept in $out"
fi
exit "$status"
