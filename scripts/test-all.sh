#!/usr/bin/env bash
# Installs what the tests need on a fresh Debian 12 machine (as root), then builds and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ "$(id -u)" = 0 ] && command -v apt-get >/dev/null; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq cmake g++ make libgtest-dev python3 binutils clang libclang-rt-14-dev >/dev/null
fi

cmake --preset native
cmake --build --preset native -j"$(nproc)"
ctest --preset native

# The same tests once more with address and undefined-behaviour checks.
cmake --preset asan
cmake --build --preset asan -j"$(nproc)"
ctest --preset asan
