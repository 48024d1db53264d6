#!/usr/bin/env bash
# Installs, from Debian's packages, everything the build, the tests and the
# demo need on a fresh Debian 12 machine. Each package is known by one file
# it installs: only packages whose file is missing are installed, and when
# none is missing the script exits without running dpkg or apt at all.
#   install-deps.sh            install what is missing
#   install-deps.sh --verify   check with dpkg -S that each file is its package's
set -euo pipefail

# Debian package, and a file that this package itself installs.
table=(
  cmake /usr/bin/cmake
  ninja-build /usr/bin/ninja
  make /usr/bin/make
  g++-mingw-w64-x86-64-posix /usr/bin/x86_64-w64-mingw32-g++-posix
  binutils-mingw-w64-x86-64 /usr/bin/x86_64-w64-mingw32-windres
  wine /usr/bin/wine-stable
  wine64 /usr/lib/wine/wine64
  nlohmann-json3-dev /usr/include/nlohmann/json.hpp
  libfmt-dev /usr/include/fmt/xchar.h
  googletest /usr/src/googletest/CMakeLists.txt
  libgtest-dev /usr/include/gtest/gtest.h
  libbenchmark-dev /usr/include/benchmark/benchmark.h
  clang-14 /usr/bin/clang++-14
  libclang-rt-14-dev /usr/lib/llvm-14/lib/clang/14.0.6/lib/linux/libclang_rt.fuzzer-x86_64.a
  # The package behind convert and import (the imagemagick package itself
  # holds only documentation, which some images leave out).
  imagemagick-6.q16 /usr/bin/convert-im6.q16
  icoutils /usr/bin/icotool
  xvfb /usr/bin/Xvfb
  fonts-wine /usr/share/wine/fonts/tahoma.ttf
  # The German and Japanese locales under which Wine speaks those languages.
  locales-all /usr/lib/locale/ja_JP.utf8/LC_MESSAGES/SYS_LC_MESSAGES
  # The release: its zip, its commit's time, and signing.
  zip /usr/bin/zip
  git /usr/bin/git
  osslsigncode /usr/bin/osslsigncode
  openssl /usr/bin/openssl
)

if [ "${1:-}" = --verify ]; then
  status=0
  for ((i = 0; i < ${#table[@]}; i += 2)); do
    owner=$(dpkg -S "${table[i + 1]}" 2>/dev/null | cut -d: -f1) || true
    if [ "$owner" != "${table[i]}" ]; then
      echo "FAIL: ${table[i + 1]} expected from ${table[i]}, dpkg -S says '${owner:-no package}'" >&2
      status=1
    fi
  done
  exit $status
fi

missing=()
for ((i = 0; i < ${#table[@]}; i += 2)); do
  [ -e "${table[i + 1]}" ] || missing+=("${table[i]}")
done
if [ "${#missing[@]}" -eq 0 ]; then exit 0; fi

echo "install-deps.sh: installing ${missing[*]}" >&2
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -q
"${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
