#!/usr/bin/env bash
# Installs, from Debian's packages, everything the build, the tests and the
# demo need on a fresh Debian 12 machine. Safe to run again: packages that are
# already present are left alone and no package index is fetched then.
set -euo pipefail

packages=(
  cmake ninja-build make
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  wine wine64
  nlohmann-json3-dev libfmt-dev
  googletest libgtest-dev libbenchmark-dev
  clang-14 libclang-rt-14-dev
  imagemagick icoutils
  xvfb fonts-wine
)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$package")
  fi
done

if [ "${#missing[@]}" -eq 0 ]; then
  exit 0
fi

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi

export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -q
"${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
