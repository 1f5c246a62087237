#!/usr/bin/env bash
# The main job: builds the library and runs the sample setup host on the
# sample media under Wine, on a virtual display unless one is given.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake --preset win64 >/dev/null
cmake --build --preset win64
run() { bash scripts/under-wine.sh /usr/lib/wine/wine64 build/win64/bin/setuphost.exe "$@"; }
if [ -n "${DISPLAY:-}" ] && [ "${DIALOGINT_HEADLESS:-}" != 1 ]; then
  run "$@"
else
  export -f run
  xvfb-run -a -s "-screen 0 1024x768x24" bash -c 'run "$@"' run "$@"
fi
