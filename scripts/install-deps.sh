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
  nsis locales fonts-ipafont-gothic fonts-vlgothic
)

# The system code pages of other countries come from the locale Wine starts
# in (LC_ALL=ja_JP.UTF-8 gives code page 932); Wine names files in the
# locale's own character set, so the locale must exist. The sample run takes
# the German, French or Spanish system from its locale too.
locales=(ja_JP.UTF-8 en_US.UTF-8 pl_PL.UTF-8 ru_RU.UTF-8 zh_CN.UTF-8 ko_KR.UTF-8 de_DE.UTF-8 fr_FR.UTF-8 es_ES.UTF-8)
generateLocales() {
  local wanted=()
  for l in "${locales[@]}"; do
    locale -a 2>/dev/null | grep -qix "${l/UTF-8/utf8}" || wanted+=("$l")
  done
  [ ${#wanted[@]} -eq 0 ] && return 0
  for l in "${wanted[@]}"; do
    grep -q "^$l UTF-8" /etc/locale.gen 2>/dev/null || echo "$l UTF-8" | $SUDO tee -a /etc/locale.gen >/dev/null
  done
  $SUDO locale-gen >/dev/null
}

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
if [ ${#missing[@]} -eq 0 ]; then
  generateLocales
  exit 0
fi

echo "installing: ${missing[*]}"
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
generateLocales
