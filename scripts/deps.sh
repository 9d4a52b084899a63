#!/usr/bin/env bash
# Installs the Debian 12 packages numkit needs to build (and, with --test,
# to build its tests and benchmarks; with --abi, to check its binary
# interface).  As root it runs apt-get; otherwise it prints the exact command
# to run and fails.
set -euo pipefail

packages=(g++ cmake ninja-build pkg-config libgmp-dev)
for arg in "$@"; do
  case "$arg" in
    --test) packages+=(libgtest-dev libbenchmark-dev) ;;
    --abi) packages+=(abigail-tools) ;;
    *)
      echo "usage: $0 [--test] [--abi]" >&2
      exit 2
      ;;
  esac
done

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

if [[ $(id -u) -eq 0 ]]; then
  echo "installing: ${missing[*]}" >&2
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
else
  echo "missing packages; run:  sudo apt-get install -y ${missing[*]}" >&2
  exit 1
fi
