#!/usr/bin/env bash
# Configures, builds and runs the whole test suite:
#   1. the Windows build (MinGW-w64 cross compiler), its tests under Wine;
#   2. the portable code on the Linux host, with AddressSanitizer and
#      UndefinedBehaviorSanitizer (clang).
# Installs what is missing first. Build folders: build/windows, build/host.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

tools/build-windows.sh build/windows
ctest --test-dir build/windows --output-on-failure

cmake -S . -B build/host -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER=clang++-14 -DPATCH_INSTALLER_SANITIZE=ON
cmake --build build/host
ctest --test-dir build/host --output-on-failure
