#!/usr/bin/env bash
# Exits 0 when this machine's kernel runs 32-bit x86 code (the shipping
# build's Wine needs it), 1 when it does not: a tiny 32-bit program that only
# exits, assembled and linked with the host's binutils, is tried.
set -u
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cat > "$dir/probe.s" <<'ASM'
    .globl _start
_start:
    movl $1, %eax
    movl $32, %ebx
    int $0x80
ASM
as --32 -o "$dir/probe.o" "$dir/probe.s" 2>/dev/null &&
  ld -m elf_i386 -o "$dir/probe" "$dir/probe.o" 2>/dev/null || {
  echo "can-run-32bit: the host's binutils cannot build the 32-bit probe" >&2; exit 2; }
"$dir/probe" 2>/dev/null
[ $? -eq 32 ]
