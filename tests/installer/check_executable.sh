#!/usr/bin/env bash
# Checks the built installer as a player's Windows sees it: a 64-bit GUI
# program that imports nothing but KnownDLLs. Those are always loaded from
# System32, so the imports need no runtime installed beside the installer
# and cannot be replaced by a DLL planted beside it: imports are resolved
# before the installer's first line runs and can restrict the search.
#   check_executable.sh OBJDUMP EXECUTABLE
set -euo pipefail
# A command that stops the check says so.
trap 'echo "FAIL: line $LINENO: $BASH_COMMAND exited with $?, expected 0" >&2' ERR
objdump=$1
executable=$2

fail() { echo "FAIL: $*" >&2; exit 1; }

headers=$("$objdump" -p "$executable") ||
  fail "expected $objdump -p to read $executable as a PE image, it exited with $?"
# A header field of objdump -p, with its meaning in brackets, or "none".
field() { awk -v name="$1" '$1 == name { $1 = ""; sub(/^ +/, ""); print; found = 1; exit }
                            END { if (!found) print "none" }' <<<"$headers"; }

magic=$(field Magic)
[[ $magic == "020b "* ]] ||
  fail "not a PE32+ (64-bit) image: expected Magic 020b (PE32+), found $magic;" \
    "objdump reads it as$(sed -n 's/^.*file format//p' <<<"$headers" | head -n 1)"
subsystem=$(field Subsystem)
[[ $subsystem == "00000002 "* ]] ||
  fail "not a Windows GUI subsystem program: expected Subsystem 00000002 (Windows GUI), found $subsystem"

# The KnownDLLs of Windows 7 to 11, listed in the registry under
# HKLM\SYSTEM\CurrentControlSet\Control\Session Manager\KnownDLLs.
allowed='^(advapi32|clbcatq|combase|comdlg32|coml2|difxapi|gdi32|gdiplus|imagehlp|imm32|kernel32|msctf|msvcrt|normaliz|nsi|ole32|oleaut32|psapi|rpcrt4|sechost|setupapi|shcore|shell32|shlwapi|user32|wldap32|ws2_32)\.dll$'
imports=$(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$headers")
[ -n "$imports" ] || fail "no import table found: expected 'DLL Name:' lines in objdump -p's output, found none"
status=0
while read -r dll; do
  if grep -Eiq "$allowed" <<<"$dll"; then
    echo "ok: imports $dll"
  else
    echo "FAIL: imports $dll, which is not a KnownDLL (expected only names matching $allowed)" >&2
    status=1
  fi
done <<<"$imports"
exit $status
