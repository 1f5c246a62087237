# fuzz-common.sh - sourced by fuzz.sh and fuzz-replay.sh: makes sure the
# host's clang and its sanitizer runtimes are installed, and builds the
# native fuzz targets of fuzz/ into $FUZZ_BUILD (default build/fuzz).
FUZZ_BUILD=${FUZZ_BUILD:-$PWD/build/fuzz}
FUZZ_CORPUS=$PWD/fuzz/corpus

fuzz_packages=(clang libclang-rt-14-dev cmake ninja-build)
missing=()
for p in "${fuzz_packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

cmake -S fuzz -B "$FUZZ_BUILD" -G Ninja -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$FUZZ_BUILD"

# Every target that was built, by its short name (fuzz_text_tokens -> text_tokens).
fuzz_targets=()
for exe in "$FUZZ_BUILD"/fuzz_*; do
  [ -x "$exe" ] && fuzz_targets+=("$(basename "$exe" | sed 's/^fuzz_//')")
done
