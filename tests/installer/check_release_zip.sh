#!/usr/bin/env bash
# Builds the release zip and checks that it holds exactly what a patch author
# needs, that its SHA256SUMS match the files beside them, that the zip's own
# checksum file matches the zip, that its LICENSE is the repository's and
# that its THIRD-PARTY-NOTICES.txt names each component linked into the
# installer with its licence.
#   check_release_zip.sh BUILD_DIR ZIP_NAME SOURCE_DIR
set -euo pipefail
# A command that stops the check says so.
trap 'echo "FAIL: line $LINENO: $BASH_COMMAND exited with $?, expected 0" >&2' ERR
build=$(cd "$1" && pwd)
zip_name=$2
source=$(cd "$3" && pwd)
top=${zip_name%.zip}
release=$build/release

fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --build "$build" --target release >/dev/null
[ -f "$release/$zip_name" ] || fail "expected $release/$zip_name to be made; it was not"

listing=$(cd "$release" && cmake -E tar tf "$zip_name" | grep -v '/$' | sort)
expected=$(printf '%s\n' "$top/LICENSE" "$top/PATCH-AUTHORS.txt" "$top/SHA256SUMS" \
  "$top/THIRD-PARTY-NOTICES.txt" "$top/archives/config.json" "$top/patch_author.exe" "$top/patch_installer.exe" |
  sort)
[ "$listing" = "$expected" ] || fail "expected the zip to hold
$expected
but it holds
$listing"

unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
(cd "$unpacked" && cmake -E tar xf "$release/$zip_name")
sums=$(cd "$unpacked/$top" && sha256sum -c SHA256SUMS 2>&1) ||
  fail "expected every file to match SHA256SUMS; sha256sum -c says: $sums"
zip_sum=$(cd "$release" && sha256sum -c "$zip_name.sha256" 2>&1) ||
  fail "expected $zip_name.sha256 to match the zip; sha256sum -c says: $zip_sum"
for program in patch_installer.exe patch_author.exe; do
  cmp -s "$unpacked/$top/$program" "$build/bin/$program" ||
    fail "expected the zip's $program to be the build's $build/bin/$program; it differs"
done
licence=$(cmp "$unpacked/$top/LICENSE" "$source/LICENSE" 2>&1) ||
  fail "expected the zip's LICENSE to be the repository's $source/LICENSE byte for byte; cmp says: $licence"

# Each component by name, the key sentences of its licence and its copyright
# holders, in plain text with LF line ends.
notices=$unpacked/$top/THIRD-PARTY-NOTICES.txt
cr_lines=$(grep -c $'\r' "$notices" || true)
[ "$cr_lines" -eq 0 ] ||
  fail "expected THIRD-PARTY-NOTICES.txt to have LF line ends only; $cr_lines of its lines hold a CR"
while IFS= read -r phrase; do
  grep -qF -- "$phrase" "$notices" ||
    fail "expected THIRD-PARTY-NOTICES.txt to contain \"$phrase\"; none of its $(wc -l <"$notices") lines does"
done <<'PHRASES'
1. nlohmann/json
2. {fmt}
3. MinGW-w64 runtime and headers
4. winpthreads
5. GCC runtime (libgcc, libstdc++)
Copyright (c) 2013-2022 Niels Lohmann
Copyright (c) 2012 - present, Victor Zverovich
Permission is hereby granted, free of charge
--- Optional exception to the license ---
Copyright (c) 2009-2016 the mingw-w64 project
Redistributions in binary form must reproduce the accompanying
This file has no copyright assigned and is placed in the Public Domain.
Copyright (c) 1997-2001 Lucent Technologies
Copyright (c) 2011-2016 mingw-w64 project
(C) 2010 Lockless Inc.
Free Software Foundation, Inc.
https://www.gnu.org/licenses/gpl-3.0.html
GCC RUNTIME LIBRARY EXCEPTION
Version 3.1, 31 March 2009
You have permission to propagate a work of Target Code formed by
PHRASES
echo "ok: $zip_name holds $(echo "$listing" | wc -l) files, its checksums match, and it carries the licences"
