#!/usr/bin/env bash
# The fault sweep: every kind of run, once for each call of each faultable
# Windows function it makes, with that one call failing (tests/faults/).
# Usage: bash scripts/faults.sh [win32|win64]   (default win32, the shipping
# build; a machine that cannot run 32-bit code sweeps win64 and says so).
# FAULTS_JOBS kinds run side by side (default 2); FAULTS_FUNCTION names one
# function to fail (default all of them), FAULTS_KINDS the kinds of run
# (default every kind); FAULTS_SAMPLE=k takes k
# calls of each function instead of all; FAULTS_SECONDS stops each kind once
# that time has passed. Prints the runs that crashed, hung, left something
# half done (mixed) or reported success for a run that differs from a clean
# one (silent), and last:
#   faults: N injected, C crashed, H hung, M mixed, S silent
set -uo pipefail
cd "$(dirname "$0")/.."
preset=${1:-win32}
if [ "$preset" = win32 ] && ! bash scripts/can-run-32bit.sh; then
  echo "faults: this machine's kernel cannot run 32-bit code, so the x86_64 build is swept"
  preset=win64
fi
build=${FAULTS_BUILD:-$PWD/build/$preset}   # another tree: a copy swept while this one is rebuilt
export DIALOGINT_BUILD_DIR=$build
[ -x "$build/bin/faults_tests.exe" ] || { echo "faults: build $preset first (cmake --build --preset $preset)" >&2; exit 99; }
jobs=${FAULTS_JOBS:-2}
kinds=${FAULTS_KINDS:-"standard custom workstation maintenance network HaveKeyDialog initLanguage IntegDeinstall DeleteShareDLL unLoadDriver setupInstall accessible IntegInstall LoadLaunch update replay"}

# FAULTS_LOG_DIR keeps each kind's log; they grow as the sweep goes.
logs=${FAULTS_LOG_DIR:-}
if [ -z "$logs" ]; then
  logs=$(mktemp -d)
  trap 'rm -rf "$logs"' EXIT
fi
mkdir -p "$logs"
# The registry is the Wine prefix's: kinds that run side by side each have a
# prefix of their own (a copy of the build's, made once), their own
# wineserver and virtual display, and take the kinds in turn.
bash scripts/under-wine.sh true >/dev/null 2>&1 || true   # the build's own prefix exists
read -r -a kindList <<< "$kinds"
for ((slot = 0; slot < jobs; slot++)); do
  tree=$build/faults-slot$slot
  if [ ! -f "$tree/wineprefix/system.reg" ]; then
    mkdir -p "$tree"
    cp -a "$build/wineprefix" "$tree/wineprefix"
  fi
  cp "$build/wine.env" "$tree/"
  ln -sfn "$build/bin" "$tree/bin"
  mine=""
  for ((i = slot; i < ${#kindList[@]}; i += jobs)); do mine="$mine ${kindList[i]}"; done
  DIALOGINT_BUILD_DIR=$tree MINE=$mine FAULTS_LOGS=$logs xvfb-run -a -s "-screen 0 1024x768x24" \
    bash scripts/under-wine.sh bash -c '
      for kind in $MINE; do
        FAULTS_SWEEP=all FAULTS_KIND=$kind "$WINE" "$DIALOGINT_BUILD_DIR/bin/faults_tests.exe" \
          --gtest_filter=FaultSweep.EveryCallOfEveryRun > "$FAULTS_LOGS/$kind.log" 2>&1
      done' &
  # xvfb-run -a takes the first free display: the next waits for this one.
  sleep 3
done
wait

total=(0 0 0 0 0)
for kind in $kinds; do
  log=$logs/$kind.log
  grep -a "^faults: $kind: " "$log" || echo "faults: $kind: did not finish"
  line=$(grep -a "^faults: [0-9]* injected" "$log" | tail -1)
  [ -n "$line" ] || { total[2]=$((total[2] + 1)); continue; }  # a sweep that died counts as hung
  read -r n c h m s < <(echo "$line" | sed 's/[^0-9 ]//g')
  total=($((total[0] + n)) $((total[1] + c)) $((total[2] + h)) $((total[3] + m)) $((total[4] + s)))
done
for kind in $kinds; do
  grep -a "^faults: $kind .*#" "$logs/$kind.log"
  grep -a "^faults: [0-9]* reported without a setup log line" "$logs/$kind.log" | sed "s/^faults: /faults: $kind: /"
  grep -a "^faults: [0-9]* degraded" "$logs/$kind.log" | sed "s/^faults: /faults: $kind: /"
done
echo "faults: ${total[0]} injected, ${total[1]} crashed, ${total[2]} hung, ${total[3]} mixed, ${total[4]} silent"
# FAULTS_FATAL names the verdicts that fail the command (default all four).
fatal=${FAULTS_FATAL:-crashed hung mixed silent}
failed=0
for verdict in $fatal; do
  case $verdict in
    crashed) failed=$((failed + total[1])) ;;
    hung) failed=$((failed + total[2])) ;;
    mixed) failed=$((failed + total[3])) ;;
    silent) failed=$((failed + total[4])) ;;
  esac
done
[ "$failed" -eq 0 ]
