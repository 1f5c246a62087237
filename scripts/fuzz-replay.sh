#!/usr/bin/env bash
# Builds the native fuzz targets and runs each once over every input of its
# kept corpus in fuzz/corpus/<target>/ (no new inputs are made): a fault that
# a kept input once found, or an invariant it breaks, fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/fuzz-common.sh

failed=0
for t in "${fuzz_targets[@]}"; do
  if [ ! -d "$FUZZ_CORPUS/$t" ]; then
    echo "$t: no kept corpus"
    failed=1
    continue
  fi
  if "$FUZZ_BUILD/fuzz_$t" "$FUZZ_CORPUS/$t" -runs=0 >"$FUZZ_BUILD/$t-replay.log" 2>&1; then
    echo "$t: $(ls "$FUZZ_CORPUS/$t" | wc -l) inputs replayed"
  else
    echo "$t: FAILED"
    tail -30 "$FUZZ_BUILD/$t-replay.log"
    failed=1
  fi
done
exit $failed
