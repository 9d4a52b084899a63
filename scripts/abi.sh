#!/usr/bin/env bash
# The binary interface of libnumkit.so against its checked-in description,
# abi/libnumkit.abi (abidw's XML: every exported function and variable with
# the layouts of the types they reach, the SONAME with the ABI number).
#
#   scripts/abi.sh check    fails when the library's ABI differs from abi/libnumkit.abi
#   scripts/abi.sh update   writes abi/libnumkit.abi anew from the library
#
# Changing the ABI on purpose: bump NUMKIT_ABI_VERSION in CMakeLists.txt when
# anything exported changes or goes, or a layout the inline paths compile into
# callers changes; then run `scripts/abi.sh update` and commit the result.
# update refuses a removal or change under an unchanged number unless given
# --unreleased (the number has not been released since it was last bumped).
# Adding functions needs only the update.
#
# The library is built in NUMKIT_BUILD_DIR (default build-abi), which must be a
# g++ build with debug information (RelWithDebInfo, the default, or Debug).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
baseline="$root/abi/libnumkit.abi"
build="${NUMKIT_BUILD_DIR:-$root/build-abi}"

usage() {
  echo "usage: $0 check | update [--unreleased]" >&2
  exit 2
}
mode="${1:-}"
unreleased=0
case "$mode" in
  check) [[ $# -eq 1 ]] || usage ;;
  update)
    [[ $# -le 2 ]] || usage
    if [[ $# -eq 2 ]]; then
      [[ "$2" == "--unreleased" ]] || usage
      unreleased=1
    fi
    ;;
  *) usage ;;
esac

"$root/scripts/deps.sh" --abi
if [[ ! -f "$build/CMakeCache.txt" ]]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DNUMKIT_BUILD_TESTS=OFF \
    -DNUMKIT_BUILD_BENCH=OFF -DNUMKIT_BUILD_TOOLS=OFF >/dev/null
fi
if ! out=$(cmake --build "$build" --target numkit 2>&1); then
  echo "$out" >&2
  exit 2
fi
lib="$build/libnumkit.so"
if ! grep -qs 'set(CMAKE_CXX_COMPILER_ID "GNU")' "$build"/CMakeFiles/*/CMakeCXXCompiler.cmake; then
  echo "$build is not a g++ build: the baseline is made with g++" >&2
  exit 2
fi
if ! readelf -S "$lib" | grep -q '\.debug_info'; then
  echo "$lib has no debug information: use a RelWithDebInfo or Debug build" >&2
  exit 2
fi

current=$(mktemp)
trap 'rm -f "$current"' EXIT
abidw --no-corpus-path --no-comp-dir-path --short-locs --drop-private-types \
  --headers-dir "$root/include" --headers-dir "$build/include" --out-file "$current" "$lib"

soname() { grep -o -m 1 "soname='[^']*'" "$1" | sed "s/soname='\(.*\)'/\1/"; }
abi_version=$(soname "$current")
abi_version=${abi_version##*.so.}

# Whether abidiff's report shows a removed or changed function or variable
# (as opposed to additions only).
breaks() {
  grep -Eq '(Functions|Variables|Function symbols|Variable symbols) changes summary: [1-9][0-9]* Removed|summary: [0-9]+ Removed, [1-9][0-9]* Changed' <<<"$1"
}

report=""
status=0
if [[ -f "$baseline" ]]; then
  report=$(abidiff --no-show-locs "$baseline" "$current") || status=$?
  if ((status & 1)); then
    echo "$report" >&2
    echo "abidiff failed (status $status)" >&2
    exit 2
  fi
fi
old_version=""
[[ -f "$baseline" ]] && old_version=$(soname "$baseline") && old_version=${old_version##*.so.}

if [[ "$mode" == "check" ]]; then
  if [[ ! -f "$baseline" ]]; then
    echo "no ABI baseline: run scripts/abi.sh update" >&2
    exit 1
  fi
  if [[ $status -eq 0 ]]; then
    echo "ABI $abi_version matches abi/libnumkit.abi"
    exit 0
  fi
  echo "$report"
  if [[ "$old_version" != "$abi_version" ]]; then
    echo "NUMKIT_ABI_VERSION is $abi_version, abi/libnumkit.abi describes ABI $old_version: run scripts/abi.sh update" >&2
  elif breaks "$report" || ((status & 8)); then
    echo "the exported ABI changed but NUMKIT_ABI_VERSION is still $abi_version: bump it in" \
      "CMakeLists.txt, then run scripts/abi.sh update" >&2
  else
    echo "functions or variables were added: run scripts/abi.sh update" >&2
  fi
  exit 1
fi

if [[ $status -ne 0 && "$old_version" == "$abi_version" && $unreleased -eq 0 ]] &&
  { breaks "$report" || ((status & 8)); }; then
  echo "$report"
  echo "the exported ABI changed but NUMKIT_ABI_VERSION is still $abi_version: bump it in" \
    "CMakeLists.txt (or pass --unreleased if ABI $abi_version was never released)" >&2
  exit 1
fi
mkdir -p "$(dirname "$baseline")"
cp "$current" "$baseline"
if [[ $status -ne 0 ]]; then
  grep 'changes summary' <<<"$report" || true
fi
echo "abi/libnumkit.abi now describes ABI $abi_version"
