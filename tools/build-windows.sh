#!/usr/bin/env bash
# Installs what is missing, then configures and builds the Windows build
# (MinGW-w64 cross compiler, Release) in BUILD_DIR: the given targets, or
# everything when none are given.
#   build-windows.sh BUILD_DIR [TARGET...]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${1:?usage: build-windows.sh BUILD_DIR [TARGET...]}
shift

"$root/tools/install-deps.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" >/dev/null
if [ "$#" -gt 0 ]; then
  cmake --build "$build" --target "$@"
else
  cmake --build "$build"
fi
