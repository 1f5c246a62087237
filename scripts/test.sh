#!/usr/bin/env bash
# The test command: installs what is missing, checks that src/'s folders
# include only the layers below them, builds the shipping (win32) and
# the x86_64 (win64) presets, checks the shipped DLL's exports and imports,
# replays the fuzz corpus, and runs the whole suite of each build under Wine,
# the two side by side, each on its own virtual display: the shipping build
# under 32-bit Wine in a 32-bit prefix, the x86_64 build under wine64. A machine whose kernel cannot run
# 32-bit code tests the x86_64 build alone, and says so.
# Arguments go to both ctest runs (for example -R dialogs_tests).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

# No folder of src/ includes one above it.
bash scripts/layers.sh

run32=1
if ! bash scripts/can-run-32bit.sh; then
  echo "test: this machine's kernel cannot run 32-bit code, so only the x86_64 build is tested"
  run32=0
fi

cmake --preset win32 >/dev/null
if [ "$run32" = 1 ]; then
  cmake --build --preset win32
else
  # Tests that cannot run are not built: the shipping DLL and its resource
  # module are, so that the i686 build still compiles and its exports are
  # checked.
  cmake --build --preset win32 --target dialogint luinsres
fi
bash scripts/check-exports.sh build/win32/bin

cmake --preset win64 >/dev/null
cmake --build --preset win64

# The parsing code, built natively with the sanitizers, over its kept corpus.
bash scripts/fuzz-replay.sh

# The two builds run side by side, each in its own prefix, wineserver and
# virtual display; each run's output is shown whole when both have ended.
logs=$(mktemp -d)
trap 'rm -rf "$logs"' EXIT
runSuite() {  # preset, then ctest's arguments
  local preset=$1
  shift
  DIALOGINT_BUILD_DIR=$PWD/build/$preset xvfb-run -a -s "-screen 0 1024x768x24" \
    bash scripts/under-wine.sh ctest --preset "$preset" "$@" > "$logs/$preset.log" 2>&1
}
pids=()
if [ "$run32" = 1 ]; then
  runSuite win32 "$@" &
  pids+=("win32:$!")
  # xvfb-run -a takes the first free display: the second waits for the first
  # to have taken its own.
  sleep 5
fi
runSuite win64 "$@" &
pids+=("win64:$!")
status=0
for entry in "${pids[@]}"; do
  preset=${entry%%:*}
  suiteStatus=0
  wait "${entry#*:}" || suiteStatus=$?
  case $preset in
    win32) echo "test: the shipping build (i686) under 32-bit Wine" ;;
    win64) echo "test: the x86_64 build under wine64" ;;
  esac
  cat "$logs/$preset.log"
  [ "$suiteStatus" -eq 0 ] || status=$suiteStatus
done
# A bounded sample of the fault sweep: the first call of each function of
# every kind of run fails (bash scripts/faults.sh fails every call); a
# crashed, hung, mixed or silent run fails the test command.
faultsPreset=win64
[ "$run32" = 1 ] && faultsPreset=win32
FAULTS_SAMPLE=1 FAULTS_SECONDS=60 bash scripts/faults.sh "$faultsPreset" | tail -n 40 || status=1
exit "$status"
