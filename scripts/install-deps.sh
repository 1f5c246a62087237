#!/usr/bin/env bash
# Installs what a fresh Debian machine lacks to build and test dialogint:
# the MinGW-w64 cross compilers, Wine for both architectures (the shipping
# DLL is 32-bit: Debian's wine32 comes from the i386 architecture) with
# Wine's own fonts, a virtual X display, screenshot tools, CMake, Ninja, the
# GoogleTest sources, the host clang with its sanitizer runtimes for the fuzz
# targets, and makensis for the script-installer sample. Quiet when
# everything is present.
set -euo pipefail

packages=(
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-i686 binutils-mingw-w64-x86-64
  wine64 wine32:i386 fonts-wine xvfb xauth x11-apps imagemagick
  cmake ninja-build googletest
  clang libclang-rt-14-dev
  nsis
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "installing: ${missing[*]}"
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
fi
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
