#!/usr/bin/env bash
# Checks the built installer as a player's Windows sees it: a 64-bit GUI
# program that imports nothing but DLLs every Windows has in System32, so
# that it needs no runtime installed beside it.
#   check_executable.sh OBJDUMP EXECUTABLE
set -euo pipefail
objdump=$1
executable=$2
headers=$("$objdump" -p "$executable")

fail() { echo "FAIL: $*" >&2; exit 1; }

grep -Eq '^Magic[[:space:]]+020b' <<<"$headers" || fail "not a PE32+ (64-bit) image"
grep -Eq '^Subsystem[[:space:]]+00000002' <<<"$headers" || fail "not a Windows GUI subsystem program"

allowed='^(kernel32|user32|gdi32|shell32|advapi32|ole32|oleaut32|comdlg32|shlwapi|msvcrt|ws2_32|imm32|setupapi|rpcrt4|sechost|combase|bcrypt|crypt32)\.dll$'
imports=$(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$headers")
[ -n "$imports" ] || fail "no import table found"
status=0
while read -r dll; do
  if grep -Eiq "$allowed" <<<"$dll"; then
    echo "ok: imports $dll"
  else
    echo "FAIL: imports $dll, which a player's machine may not have" >&2
    status=1
  fi
done <<<"$imports"
exit $status
