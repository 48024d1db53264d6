#!/usr/bin/env bash
# Runs the installer in the test prefix and compares the whole prefix, its
# registry included, before and after: a run may write the patch files into
# the game folder and install_log.log into its working folder, nothing else;
# and links in the archives folder to other folders bring in nothing.
#   check_writes_stay_in_game_folder.sh PREFIX BIN_DIR
set -euo pipefail
# A command that stops the check says so.
trap 'echo "FAIL: line $LINENO: $BASH_COMMAND exited with $?, expected 0" >&2' ERR
export WINEPREFIX=$1 WINEDEBUG=-all
bin=$2
sandbox="$WINEPREFIX/drive_c/write-check"
key='HKCU\Software\Mirelune\PatchInstallerTest\Write Check'
links="$WINEPREFIX.registry-links"
trap 'rm -rf "$sandbox" "$links"; wine reg delete "$key" /f </dev/null >/dev/null 2>&1 || true' EXIT

# Wine's server saves the registry by itself, at times of its own choosing:
# every 30 seconds while there are changes (the test's own reg add is one)
# and when it stops. It writes system.reg (HKLM), userdef.reg (HKU\.Default)
# and user.reg (the user's key in HKU) in the prefix's root folder, so these
# change whenever a save falls between two snapshots. The registry itself is
# compared through reg export (HKU whole, HKLM\Software; HKLM\System is
# Wine's own, see below), so these three files are left out of the comparison.
registry_files='^[<>] \./(system|user|userdef)\.reg '
# Wine writes each file anew as a regXXXX.tmp that it renames over the old
# one, which changes the root folder too; but a file with a second hard link
# it rewrites in place. So each gets a link outside the prefix while the
# check runs, and the root folder is compared like any other. The links are
# checked before each snapshot, in case a save was renaming a file just then.
link_registry_files() {
  mkdir -p "$links"
  local file
  for file in system.reg user.reg userdef.reg; do
    [ "$WINEPREFIX/$file" -ef "$links/$file" ] || ln -f "$WINEPREFIX/$file" "$links/$file"
  done
}

# Prints the registry hive $1 as UTF-8. An export can end without leaving
# its file (seen once in five runs of the suite), so one that fails is tried
# again once; a second failure stops the check.
export_hive() {
  local hive=$1 attempt text
  for attempt in 1 2; do
    rm -f "$WINEPREFIX.export"
    if wine reg export "$hive" "$WINEPREFIX.export" /y </dev/null >/dev/null 2>&1 &&
      [ -s "$WINEPREFIX.export" ] && text=$(iconv -f UTF-16 -t UTF-8 "$WINEPREFIX.export"); then
      rm -f "$WINEPREFIX.export"
      printf '%s\n' "$text"
      return 0
    fi
    [ "$attempt" = 2 ] || sleep 1
  done
  echo "FAIL: expected wine reg export $hive to write $WINEPREFIX.export; twice it left no readable file" >&2
  return 1
}

# Every file and folder of the prefix with size and time, and the registry.
# HKLM\System is left out: Wine's own services (device enumeration) write
# there at times of their choosing. Runs in a command substitution, where a
# failing command does not stop the script: each step's status is returned.
snapshot() {
  link_registry_files || return 1
  (cd "$WINEPREFIX" && find . -printf '%p %s %T@ %y\n' | sort) || return 1
  export_hive HKU || return 1
  export_hive HKLM\\Software || return 1
}

# Runs the installer of the sandbox; prints what it showed.
run_installer() {
  wine "$bin/run_and_report.exe" 'C:\write-check\installer\patch_installer.exe' 'C:\write-check' </dev/null
}

# Runs the installer and checks that it ended with exit code $1.
run_installer_expecting() {
  local shown
  shown=$(run_installer 2>&1 | tr -d '\r') || true
  if ! grep -qx "Exit code: $1" <<<"$shown"; then
    echo "FAIL: expected the installer to end with exit code $1; run_and_report.exe printed:" >&2
    echo "$shown" >&2
    exit 1
  fi
}

check() {
  local name=$1 expected_changes=$2 before=$3 after=$4
  local delta changes outside
  delta=$(diff <(echo "$before") <(echo "$after") || true)
  if grep -Eq "$registry_files" <<<"$delta"; then
    echo "note ($name): Wine saved its registry files between the snapshots"
    delta=$(grep -Ev "$registry_files" <<<"$delta" || true)
  fi
  # The sandbox's entries that changed, relative to it ("." for itself).
  changes=$(awk '/^> \.\/drive_c\/write-check[\/ ]/ {
      p = $2; sub("^\\./drive_c/write-check/?", "", p); print (p == "" ? "." : p) }' <<<"$delta" | sort)
  outside=$(grep '^[<>]' <<<"$delta" | grep -v '^[<>] \./drive_c/write-check[/ ]' || true)
  if [ -n "$outside" ]; then
    echo "FAIL ($name): expected no change outside the game folder and the log, found:" >&2
    echo "$outside" >&2
    exit 1
  fi
  if [ "$changes" != "$expected_changes" ]; then
    echo "FAIL ($name): the sandbox changed in (found)" >&2
    echo "$changes" >&2
    echo "instead of (expected)" >&2
    echo "$expected_changes" >&2
    exit 1
  fi
  echo "ok ($name): only $(echo "$changes" | tr '\n' ' ')"
}

rm -rf "$sandbox"
mkdir -p "$sandbox/installer/archives/Data" "$sandbox/game"
cp "$bin/patch_installer.exe" "$sandbox/installer/"
cat >"$sandbox/installer/archives/config.json" <<'JSON'
{"game_name": "Write Check", "process_name": "WriteCheck.exe", "data_directory": "Data",
 "registry_key": "PatchInstallerTest\\Write Check", "steam_id": "480"}
JSON
echo patch >"$sandbox/installer/archives/readme.txt"
echo data >"$sandbox/installer/archives/Data/level.map"
wine reg delete 'HKCU\Software\Valve\Steam' /f </dev/null >/dev/null 2>&1 || true

# Wine sets up parts of its desktop (and their registry keys) when the first
# window of a prefix appears: one untimed run first, so that only the
# installer's own writes are compared.
run_installer >/dev/null
rm -f "$sandbox/install_log.log"

# The game found through the registry: the patch files land, nothing else.
wine reg add "$key" /v InstallPath /d 'C:\write-check\game' /f </dev/null >/dev/null 2>&1
before=$(snapshot)
run_installer_expecting 0
after=$(snapshot)
check "installed" "$(printf '%s\n' game game/Data game/Data/level.map game/readme.txt)" "$before" "$after"

# The game not found: the Steam search leaves its log, nothing else.
wine reg delete "$key" /f </dev/null >/dev/null 2>&1
before=$(snapshot)
run_installer_expecting 2
after=$(snapshot)
check "not found" "$(printf '%s\n' . install_log.log)" "$before" "$after"

# Links to folders in the archives folder are not entered: neither one to a
# folder elsewhere nor one that leads back up in a circle.
mkdir -p "$sandbox/outside" "$sandbox/game-with-links"
echo secret >"$sandbox/outside/secret.txt"
ln -s ../../outside "$sandbox/installer/archives/elsewhere"
ln -s .. "$sandbox/installer/archives/Data/circle"
wine reg add "$key" /v InstallPath /d 'C:\write-check\game-with-links' /f </dev/null >/dev/null 2>&1
before=$(snapshot)
run_installer_expecting 0
after=$(snapshot)
check "links not entered" \
  "$(printf '%s\n' game-with-links game-with-links/Data game-with-links/Data/level.map game-with-links/readme.txt)" \
  "$before" "$after"

# A patch that keeps the game's originals keeps them, with its record, in
# the game folder too, and takes nothing elsewhere.
mkdir -p "$sandbox/game-kept/Data"
echo original >"$sandbox/game-kept/readme.txt"
sed -i 's/"steam_id": "480"}/"steam_id": "480", "keep_originals": true}/' "$sandbox/installer/archives/config.json"
grep -q '"keep_originals": true' "$sandbox/installer/archives/config.json"
wine reg add "$key" /v InstallPath /d 'C:\write-check\game-kept' /f </dev/null >/dev/null 2>&1
before=$(snapshot)
run_installer_expecting 0
after=$(snapshot)
kept=$(cd "$sandbox" && find game-kept | sort)
grep -q '^game-kept/\.patch-backup/[0-9a-f]*/originals/readme.txt$' <<<"$kept" ||
  { echo "FAIL (originals kept): no original of readme.txt in the backup: $kept" >&2; exit 1; }
check "originals kept" "$kept" "$before" "$after"
