#!/usr/bin/env bash
# Builds the native fuzz targets of the parsing code and runs each for the
# given number of seconds (default 60) on its kept corpus. New inputs go into
# build/fuzz/work/<target>, findings into build/fuzz/findings/<target>-*; the
# kept corpus in fuzz/corpus/ is only read. Exits 1 when a target found a
# fault.
#   scripts/fuzz.sh [seconds] [target...]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift || true
source scripts/fuzz-common.sh
[ $# -gt 0 ] && fuzz_targets=("$@")

mkdir -p "$FUZZ_BUILD/findings"
failed=0
for t in "${fuzz_targets[@]}"; do
  mkdir -p "$FUZZ_BUILD/work/$t" "$FUZZ_CORPUS/$t"
  echo "== $t: $seconds s"
  if ! "$FUZZ_BUILD/fuzz_$t" "$FUZZ_BUILD/work/$t" "$FUZZ_CORPUS/$t" \
      -max_total_time="$seconds" -print_final_stats=1 -max_len=512 \
      -artifact_prefix="$FUZZ_BUILD/findings/$t-" 2>"$FUZZ_BUILD/$t.log"; then
    echo "$t: fault found, see $FUZZ_BUILD/$t.log and $FUZZ_BUILD/findings/"
    failed=1
  fi
  grep -E "stat::number_of_executed_units|stat::new_units_added" "$FUZZ_BUILD/$t.log" || true
done
exit $failed
