#!/usr/bin/env bash
# The folders of src/ are layers: a file includes only its own folder and the
# folders below it. From the bottom: state, registry, catalogue, dialogs,
# steps, unattended, entries. The public header and the resource module's
# IDs are below them all. Prints each include that goes up and fails on one.
set -euo pipefail
cd "$(dirname "$0")/../src"
layers=(state registry catalogue dialogs steps unattended entries)
rank() {
  local i
  for i in "${!layers[@]}"; do
    [ "${layers[$i]}" = "$1" ] && { echo "$i"; return; }
  done
  echo -1
}
bad=0
files=0
for folder in "${layers[@]}"; do
  own=$(rank "$folder")
  for file in "$folder"/*.cpp "$folder"/*.h; do
    [ -e "$file" ] || continue
    files=$((files + 1))
    while IFS= read -r line; do
      included=${line#*\"}
      included=${included%%\"*}
      case $included in
        */*) target=${included%%/*} ;;
        *) continue ;;
      esac
      level=$(rank "$target")
      if [ "$level" -lt 0 ]; then
        echo "layers: $file includes $included, from no layer"
        bad=$((bad + 1))
      elif [ "$level" -gt "$own" ]; then
        echo "layers: $file includes $included, a layer above its own"
        bad=$((bad + 1))
      fi
    done < <(grep -E '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "$file" || true)
  done
done
echo "layers: ${#layers[@]} layers, $files files, $bad includes that go up"
[ "$bad" -eq 0 ]
