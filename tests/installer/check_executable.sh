#!/usr/bin/env bash
# Checks the built installer as a player's Windows sees it: a 64-bit GUI
# program that imports nothing but KnownDLLs. Those are always loaded from
# System32, so the imports need no runtime installed beside the installer
# and cannot be replaced by a DLL planted beside it: imports are resolved
# before the installer's first line runs and can restrict the search.
#   check_executable.sh OBJDUMP EXECUTABLE
set -euo pipefail
objdump=$1
executable=$2
headers=$("$objdump" -p "$executable")

fail() { echo "FAIL: $*" >&2; exit 1; }

grep -Eq '^Magic[[:space:]]+020b' <<<"$headers" || fail "not a PE32+ (64-bit) image"
grep -Eq '^Subsystem[[:space:]]+00000002' <<<"$headers" || fail "not a Windows GUI subsystem program"

# The KnownDLLs of Windows 7 to 11, listed in the registry under
# HKLM\SYSTEM\CurrentControlSet\Control\Session Manager\KnownDLLs.
allowed='^(advapi32|clbcatq|combase|comdlg32|coml2|difxapi|gdi32|gdiplus|imagehlp|imm32|kernel32|msctf|msvcrt|normaliz|nsi|ole32|oleaut32|psapi|rpcrt4|sechost|setupapi|shcore|shell32|shlwapi|user32|wldap32|ws2_32)\.dll$'
imports=$(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$headers")
[ -n "$imports" ] || fail "no import table found"
status=0
while read -r dll; do
  if grep -Eiq "$allowed" <<<"$dll"; then
    echo "ok: imports $dll"
  else
    echo "FAIL: imports $dll, which is not a KnownDLL" >&2
    status=1
  fi
done <<<"$imports"
exit $status
