#!/usr/bin/env bash
# Builds the library, its tests and benchmarks, and runs the whole test suite.
# Extra arguments are passed to CMake (e.g. -DNUMKIT_SANITIZE=address,undefined);
# NUMKIT_BUILD_DIR chooses the build directory (default build-test).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh" --test
build="${NUMKIT_BUILD_DIR:-$root/build-test}"
cmake -S "$root" -B "$build" -G Ninja -DNUMKIT_WERROR=ON "$@"
cmake --build "$build"
ctest --test-dir "$build" --output-on-failure -j "$(nproc)"
