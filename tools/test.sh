#!/usr/bin/env bash
# Configures, builds and runs the test suite:
#   windows  the Windows build (MinGW-w64 cross compiler), its tests under Wine;
#   host     the portable code on the Linux host, with AddressSanitizer and
#            UndefinedBehaviorSanitizer (clang), and the fuzzers;
#   release  the release of the current commit, built twice in different
#            folders: the installer and the zip must be the same bytes.
#   test.sh [windows|host|release]   one part, or all three when none is given
# Installs what is missing first. Build folders: build/windows, build/host.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

usage() { echo "usage: tools/test.sh [windows|host|release]" >&2; exit 2; }

windows() {
  tools/build-windows.sh build/windows
  ctest --test-dir build/windows --output-on-failure
}

host() {
  tools/install-deps.sh
  cmake -S . -B build/host -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER=clang++-14 -DPATCH_INSTALLER_SANITIZE=ON
  cmake --build build/host
  ctest --test-dir build/host --output-on-failure
}

release() { tools/check-reproducible.sh; }

case "$#:${1-}" in
  0:) windows; host; release ;;
  1:windows | 1:host | 1:release) "$1" ;;
  *) usage ;;
esac
