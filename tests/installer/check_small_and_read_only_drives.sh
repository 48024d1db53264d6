#!/usr/bin/env bash
# Installs a patch into a game on a drive that cannot take it, a tmpfs mapped
# as Wine's drive P:, and checks that the game folder is byte for byte what
# it was, with no staging folder left:
#   full       a 1 MiB drive and a 3 MiB patch file: the copy fails part-way;
#   read-only  a drive mounted read-only (as a disc is): not even the list of
#              what the patch creates can be written, and the box names the
#              Windows error code.
# Mounting needs root and the right to mount; without it the check is
# skipped (exit code 77).
#   check_small_and_read_only_drives.sh PREFIX BIN_DIR
set -euo pipefail
# A command that stops the check says so.
trap 'echo "FAIL: line $LINENO: $BASH_COMMAND exited with $?, expected 0" >&2' ERR
export WINEPREFIX=$1 WINEDEBUG=-all
bin=$2
work="$WINEPREFIX/drive_c/drive-check"
disk="$WINEPREFIX.drive-check"
drive="$WINEPREFIX/dosdevices/p:"
key='HKCU\Software\Mirelune\PatchInstallerTest\Drive Check'

unmount() { if mountpoint -q "$disk"; then umount "$disk"; fi; }
cleanup() {
  rm -f "$drive"
  unmount
  rm -rf "$work" "$disk"
  wine reg delete "$key" /f </dev/null >/dev/null 2>&1 || true
}
trap cleanup EXIT
cleanup

mkdir -p "$disk"
if ! mount -t tmpfs -o size=1m drive-check "$disk" 2>/dev/null; then
  echo "SKIP: cannot mount a tmpfs here (needs root and the right to mount)"
  exit 77
fi
unmount
ln -s "$disk" "$drive"

# The patch, on the large drive C:.
mkdir -p "$work/installer/archives/Data" "$work/installer/archives/New"
cp "$bin/patch_installer.exe" "$work/installer/"
cat >"$work/installer/archives/config.json" <<'JSON'
{"game_name": "Drive Check", "process_name": "DriveCheck.exe", "data_directory": "Data",
 "registry_key": "PatchInstallerTest\\Drive Check", "steam_id": "480"}
JSON
printf 'new readme\r\n' >"$work/installer/archives/readme.txt"
head -c $((3 * 1024 * 1024)) /dev/urandom >"$work/installer/archives/Data/big.dat"
printf 'added\r\n' >"$work/installer/archives/New/added.txt"
wine reg add "$key" /v InstallPath /d 'P:\Game' /f </dev/null >/dev/null 2>&1

tree() { (cd "$disk/Game" && find . -printf '%p %y\n' -type f -exec sha256sum {} \; | sort); }
unchanged="Message box text:    The patch was not installed. The game is as it was before:"

status=0
# Runs one case: $1 its name, $2 "ro" for a read-only drive, $3 an extended
# regular expression that the box's text must match after the common start.
check_case() {
  local name=$1 read_only=$2 reason=$3 before after output
  mount -t tmpfs -o size=1m drive-check "$disk"
  mkdir -p "$disk/Game/Data"
  printf 'old readme\r\n' >"$disk/Game/readme.txt"
  head -c 100000 /dev/urandom >"$disk/Game/Data/big.dat"
  printf 'untouched\r\n' >"$disk/Game/Data/keep.ini"
  if [ "$read_only" = ro ]; then mount -o remount,ro "$disk"; fi
  before=$(tree)
  output=$(wine "$bin/run_and_report.exe" 'C:\drive-check\installer\patch_installer.exe' \
    'C:\drive-check' </dev/null | tr -d '\r')
  after=$(tree)
  unmount

  if ! grep -qF "$unchanged" <<<"$output" || ! grep -qx 'Exit code: 3' <<<"$output" ||
    ! grep -A3 -F "$unchanged" <<<"$output" | tail -n +2 | grep -Eq "$reason"; then
    echo "FAIL ($name): expected exit code 3 and a box beginning '${unchanged#Message box text:    }'" \
      "with a reason that matches '$reason'; got:" >&2
    echo "$output" >&2
    status=1
  fi
  if [ "$before" != "$after" ]; then
    echo "FAIL ($name): expected the game folder unchanged; it differs:" >&2
    diff <(echo "$before") <(echo "$after") >&2 || true
    status=1
  fi
  if [ "$read_only" = ro ] && ! grep -qF 'Windows does not let this user account change the files in P:\Game.' <<<"$output"; then
    echo "FAIL ($name): expected the box to say that Windows does not let the files in P:\Game be changed; got:" >&2
    echo "$output" >&2
    status=1
  fi
  if [ "$status" = 0 ]; then
    echo "ok ($name): the game folder is as it was after: $(grep -A3 "^Message box text" <<<"$output" | tr '\n' ' ')"
  fi
}

check_case full rw '^copying the patch files failed \(shell error [0-9]+: .+\)$'
# Windows says "access denied" (5) or "write-protected" (19), in its own
# words; never a C library errno (13 is EACCES, 30 EROFS).
check_case read-only ro \
  '^listing what the patch creates in P:\\Game\\\.patch-rollback failed \(error (5|19): [^)]+\)$'
exit $status
