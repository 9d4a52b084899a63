#!/usr/bin/env bash
# The main job: builds the library and its demo program, then prints the n-th
# Fibonacci number (default n = 1000).  Usage: scripts/run.sh [n]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh"
build="$root/build-release"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DNUMKIT_BUILD_TESTS=OFF -DNUMKIT_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" --target numkit-fib >/dev/null
exec "$build/tools/numkit-fib" "$@"
