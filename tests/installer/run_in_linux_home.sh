#!/usr/bin/env bash
# Runs a test program under Wine as Proton runs a program in a game's prefix
# on a Steam Deck: with a Unix home of the tests' own, which Wine names in
# WINEHOMEDIR, and, when a Steam library is given, with the test prefix
# reached as <library>/steamapps/compatdata/480/pfx, which Wine names in
# WINECONFIGDIR. Wine sets both for every process from the Unix side, so the
# test itself cannot. The home holds a mark that lets the test clear the
# folders of Steam and Heroic for Linux below it.
#   run_in_linux_home.sh PREFIX HOME LIBRARY|- PROGRAM [ARGUMENTS...]
set -euo pipefail
prefix=$1 home=$2 library=$3
shift 3
mkdir -p "$home"
touch "$home/.patch-installer-test-home"
if [ "$library" != - ]; then
  mkdir -p "$library/steamapps/compatdata/480"
  ln -sfn "$prefix" "$library/steamapps/compatdata/480/pfx"
  prefix=$library/steamapps/compatdata/480/pfx
fi
exec env HOME="$home" WINEPREFIX="$prefix" WINEDEBUG=-all wine "$@"
