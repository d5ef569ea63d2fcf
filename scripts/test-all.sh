#!/usr/bin/env bash
# Installs what the tests need on a fresh Debian 12 machine (as root), then builds and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ "$(id -u)" = 0 ] && command -v apt-get >/dev/null; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq cmake g++ make libgtest-dev python3 binutils >/dev/null
fi

cmake --preset native
cmake --build --preset native -j"$(nproc)"
ctest --preset native
