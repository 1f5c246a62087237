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
# A mirror in the middle of a sync serves an index or two that do not match
# their Release file: apt then leaves those out and says so. Asked again a
# little later it usually has them; if not, the rest is still used.
for attempt in 1 2 3; do
  $SUDO apt-get update -qq && break
  echo "install-deps: some package lists could not be read (attempt $attempt)" >&2
  [ "$attempt" -lt 3 ] && sleep 20
done
aptInstall() { $SUDO apt-get install -y -qq --no-install-recommends "$@" >/dev/null; }
if ! aptInstall "${missing[@]}"; then
  # The i386 list of the security archive missing while the amd64 one is
  # read: the two halves of a multi-arch library would differ in version.
  # Both are then taken from the main archive.
  echo "install-deps: trying again with the main archive's versions" >&2
  prefs=$(mktemp -d)
  printf 'Package: *\nPin: release l=Debian-Security\nPin-Priority: 100\n' > "$prefs/security-last.pref"
  aptInstall -o Dir::Etc::PreferencesParts="$prefs" "${missing[@]}" libgstreamer-plugins-base1.0-0:i386
  rm -rf "$prefs"
fi
