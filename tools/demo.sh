#!/usr/bin/env bash
# Builds the installer and runs it under Wine on the demo patch in
# examples/demo-patch, against a made-up game installed in a private Wine
# prefix: prints what a player would see, the exit code and the files that
# arrived in the game folder. Installs what is missing first.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

tools/build-windows.sh build/windows patch_installer run_and_report

# A prefix of its own, so that the demo never disturbs a test run.
export WINEPREFIX="$root/build/windows/demo-prefix" WINEDEBUG=-all
tools/wine-prefix.sh start "$WINEPREFIX"
trap 'tools/wine-prefix.sh stop "$WINEPREFIX"' EXIT

# What a patch author ships: the installer beside its archives folder.
demo="$root/build/demo"
rm -rf "$demo"
mkdir -p "$demo"
cp build/windows/bin/patch_installer.exe "$demo/"
cp -r examples/demo-patch/archives "$demo/"

# The made-up game, as its own installer would have left it.
game_unix="$WINEPREFIX/drive_c/Games/Starfall Tactics"
rm -rf "$game_unix"
mkdir -p "$game_unix/Data"
printf 'original balance\r\n' >"$game_unix/Data/balance.ini"
wine reg add 'HKCU\Software\Mirelune\Starfall Tactics' /v InstallPath /d 'C:\Games\Starfall Tactics' /f \
  </dev/null >/dev/null 2>&1

echo "== Running the installer"
wine build/windows/bin/run_and_report.exe "Z:${demo//\//\\}\\patch_installer.exe" "Z:${demo//\//\\}"
echo
echo "== Files in the game folder C:\\Games\\Starfall Tactics"
(cd "$game_unix" && find . -type f | sort | sed 's|^\./||')
echo
echo "== Data/balance.ini now reads"
cat "$game_unix/Data/balance.ini"
