#!/usr/bin/env bash
# Installs a patch whose large file does not fit on the game's drive: a
# 1 MiB tmpfs mapped as Wine's drive P:. The copy fails part-way, and the game
# folder must be byte for byte what it was, with no staging folder left.
# Mounting needs root and the right to mount; without it the check is
# skipped (exit code 77).
#   check_full_disk_rolls_back.sh PREFIX BIN_DIR
set -euo pipefail
# A command that stops the check says so.
trap 'echo "FAIL: line $LINENO: $BASH_COMMAND exited with $?, expected 0" >&2' ERR
export WINEPREFIX=$1 WINEDEBUG=-all
bin=$2
work="$WINEPREFIX/drive_c/full-disk-check"
disk="$WINEPREFIX.full-disk"
drive="$WINEPREFIX/dosdevices/p:"
key='HKCU\Software\Mirelune\PatchInstallerTest\Full Disk'

cleanup() {
  rm -f "$drive"
  if mountpoint -q "$disk"; then umount "$disk"; fi
  rm -rf "$work" "$disk"
  wine reg delete "$key" /f </dev/null >/dev/null 2>&1 || true
}
trap cleanup EXIT
cleanup

mkdir -p "$disk"
if ! mount -t tmpfs -o size=1m full-disk "$disk" 2>/dev/null; then
  echo "SKIP: cannot mount a tmpfs here (needs root and the right to mount)"
  exit 77
fi
ln -s "$disk" "$drive"

# The game on the small drive, and the patch on the large one.
mkdir -p "$disk/Game/Data" "$work/installer/archives/Data"
printf 'old readme\r\n' >"$disk/Game/readme.txt"
head -c 100000 /dev/urandom >"$disk/Game/Data/big.dat"
printf 'untouched\r\n' >"$disk/Game/Data/keep.ini"
cp "$bin/patch_installer.exe" "$work/installer/"
cat >"$work/installer/archives/config.json" <<'JSON'
{"game_name": "Full Disk", "process_name": "FullDisk.exe", "data_directory": "Data",
 "registry_key": "PatchInstallerTest\\Full Disk", "steam_id": "480"}
JSON
printf 'new readme\r\n' >"$work/installer/archives/readme.txt"
head -c $((3 * 1024 * 1024)) /dev/urandom >"$work/installer/archives/Data/big.dat"
mkdir -p "$work/installer/archives/New"
printf 'added\r\n' >"$work/installer/archives/New/added.txt"
wine reg add "$key" /v InstallPath /d 'P:\Game' /f </dev/null >/dev/null 2>&1

tree() { (cd "$disk/Game" && find . -printf '%p %y\n' -type f -exec sha256sum {} \; | sort); }
before=$(tree)
output=$(wine "$bin/run_and_report.exe" 'C:\full-disk-check\installer\patch_installer.exe' \
  'C:\full-disk-check' </dev/null | tr -d '\r')
after=$(tree)

status=0
expected_text="Message box text:    The patch was not installed. The game is as it was before:"
if ! grep -qF "$expected_text" <<<"$output" || ! grep -qx 'Exit code: 3' <<<"$output"; then
  echo "FAIL: expected exit code 3 and a box beginning '${expected_text#Message box text:    }'; got:" >&2
  echo "$output" >&2
  status=1
fi
if [ "$before" != "$after" ]; then
  echo "FAIL: expected the game folder unchanged; it differs:" >&2
  diff <(echo "$before") <(echo "$after") >&2 || true
  status=1
fi
[ "$status" = 0 ] && echo "ok: the game folder is as it was after: $(grep "^Message box text" <<<"$output" -A3 | tr "\n" " ")"
exit $status
