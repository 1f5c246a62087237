#!/usr/bin/env bash
# Checks the shipped dialogint.dll: every name of the .def file exported
# undecorated, and only Windows system DLLs imported (no MinGW run-time).
set -euo pipefail
cd "$(dirname "$0")/.."
bin=${1:-build/win32/bin}
dll=$bin/dialogint.dll
OBJDUMP=${OBJDUMP:-i686-w64-mingw32-objdump}
[ -f "$dll" ] || { echo "check-exports: $dll missing" >&2; exit 1; }
dump=$("$OBJDUMP" -p "$dll")
status=0

grep -q 'file format pei-i386' <<<"$dump" || { echo "check-exports: $dll is not a 32-bit DLL" >&2; status=1; }

exports=$(echo "$dump" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' | grep -E '^\s*\[' | sed -E 's/.*\] *//')
wanted=$(sed -n '/^EXPORTS/,$p' src/dialogint.def | grep -vE '^(EXPORTS|\s*;|\s*$)' | awk '{print $1}')
for name in $wanted; do
  grep -qx "$name" <<<"$exports" || { echo "check-exports: $name not exported undecorated" >&2; status=1; }
done
if grep -q "@" <<<"$exports"; then
  echo "check-exports: decorated names exported:" >&2; echo "$exports" | grep '@' >&2; status=1
fi

allowed='^(KERNEL32|USER32|GDI32|ADVAPI32|msvcrt|SHELL32|COMCTL32)\.dll$'
for imported in $(echo "$dump" | sed -n 's/^\s*DLL Name: //p'); do
  grep -qiE "$allowed" <<<"$imported" || { echo "check-exports: imports $imported" >&2; status=1; }
done

[ $status -eq 0 ] && echo "check-exports: $(echo "$wanted" | wc -w) exports undecorated, system imports only"
exit $status
