#!/usr/bin/env bash
# The main job: builds the library and runs the sample setup host on the
# sample media under Wine, on a virtual display unless one is given.
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
#
# Unattended runs save a picture of every dialog in docs/screenshots/setup/
# (another answer file's in docs/screenshots/setup/<its name>/).
# DIALOGINT_BUILD_DIR chooses the build folder (default build/win64).
set -euo pipefail
cd "$(dirname "$0")/.."

# Inside the display and the Wine session (see below).
if [ "${1:-}" = --inside ]; then
  shift
  host="$DIALOGINT_BUILD_DIR/bin/setuphost.exe"
  if [ "${1:-}" = --interactive ]; then
    shift
    exec /usr/lib/wine/wine64 "$host" "$@"
  fi
  # Wine sees the Unix root as drive Z:.
  winpath() { local p; p=$(cd "$(dirname "$1")" && pwd)/$(basename "$1"); echo "Z:${p//\//\\}"; }
  answers=$(winpath "$1")
  pictures=$(winpath "$2")
  status=0
  /usr/lib/wine/wine64 "$host" --answers "$answers" --screenshots "$pictures" | tee "$2/setup.out" || status=$?
  [ "$status" -eq 0 ] || exit "$status"
  echo
  # A network installation is not registered: the setup names its folder.
  target=$(sed -n 's/.*remove it with: setuphost --remove --target \(.*\)$/\1/p' "$2/setup.out" | tr -d '\r')
  /usr/lib/wine/wine64 "$host" --remove ${target:+--target "$target"} --answers "$answers" --screenshots "$pictures"
  exit 0
fi

interactive=0
answers=samples/answers/standard.txt
case "${1:-}" in
  --interactive) interactive=1; shift ;;
  --answers) [ $# -ge 2 ] || { echo "run-sample: --answers needs a file" >&2; exit 2; }; answers=$2; shift 2 ;;
  --language) [ $# -ge 2 ] || { echo "run-sample: --language needs a language" >&2; exit 2; }
    answers=samples/answers/$(echo "$2" | tr '[:upper:]' '[:lower:]').txt; shift 2 ;;
  "") ;;
  *) sed -n '4,17p' "$0" | sed 's/^# \{0,1\}//'; exit 2 ;;
esac
[ "$interactive" = 1 ] || [ -f "$answers" ] || { echo "run-sample: no answer file $answers" >&2; exit 2; }

bash scripts/install-deps.sh
build=${DIALOGINT_BUILD_DIR:-$PWD/build/win64}
build=$(mkdir -p "$build" && cd "$build" && pwd)
cmake --preset win64 -B "$build" >/dev/null
cmake --build "$build" --target setuphost
export DIALOGINT_BUILD_DIR=$build

if [ "$interactive" = 1 ]; then
  [ -n "${DISPLAY:-}" ] || { echo "run-sample: --interactive needs a desktop (DISPLAY)" >&2; exit 2; }
  exec bash scripts/under-wine.sh bash scripts/run-sample.sh --inside --interactive "$@"
fi

shots=$(mktemp -d)
trap 'rm -rf "$shots"' EXIT
status=0
if [ -n "${DISPLAY:-}" ] && [ "${DIALOGINT_HEADLESS:-}" != 1 ]; then
  bash scripts/under-wine.sh bash scripts/run-sample.sh --inside "$answers" "$shots" || status=$?
else
  xvfb-run -a -s "-screen 0 1024x768x24" \
    bash scripts/under-wine.sh bash scripts/run-sample.sh --inside "$answers" "$shots" || status=$?
fi

# The standard run's pictures stand in setup/, another answer file's in a
# folder of its name below.
out=docs/screenshots/setup
name=$(basename "$answers" .txt)
[ "$name" = standard ] || out=$out/$name
mkdir -p "$out"
rm -f "$out"/*.png
for bmp in "$shots"/*.bmp; do
  [ -e "$bmp" ] || continue
  convert "$bmp" "$out/$(basename "$bmp" .bmp).png"
done
echo "run-sample: $(ls "$out" | wc -l) pictures in $out"
exit "$status"
