#!/usr/bin/env bash
# Installs what a fresh Debian machine lacks to build and test dialogint:
# the MinGW-w64 cross compilers, Wine, a virtual X display, screenshot tools,
# CMake, Ninja, the GoogleTest sources and the host clang with its sanitizer
# runtimes for the fuzz targets. Quiet when everything is present.
set -euo pipefail

packages=(
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-i686 binutils-mingw-w64-x86-64
  wine64 xvfb xauth x11-apps imagemagick
  cmake ninja-build googletest
  clang libclang-rt-14-dev
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
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
