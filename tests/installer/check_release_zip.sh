#!/usr/bin/env bash
# Builds the release zip and checks that it holds exactly what a patch author
# needs, that its SHA256SUMS match the files beside them, and that the zip's
# own checksum file matches the zip.
#   check_release_zip.sh BUILD_DIR ZIP_NAME
set -euo pipefail
# A command that stops the check says so.
trap 'echo "FAIL: line $LINENO: $BASH_COMMAND exited with $?, expected 0" >&2' ERR
build=$(cd "$1" && pwd)
zip_name=$2
top=${zip_name%.zip}
release=$build/release

fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --build "$build" --target release >/dev/null
[ -f "$release/$zip_name" ] || fail "expected $release/$zip_name to be made; it was not"

listing=$(cd "$release" && cmake -E tar tf "$zip_name" | grep -v '/$' | sort)
expected=$(printf '%s\n' "$top/PATCH-AUTHORS.txt" "$top/SHA256SUMS" "$top/archives/config.json" \
  "$top/patch_installer.exe" | sort)
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
cmp -s "$unpacked/$top/patch_installer.exe" "$build/bin/patch_installer.exe" ||
  fail "expected the zip's installer to be the build's $build/bin/patch_installer.exe; it differs"
echo "ok: $zip_name holds $(echo "$listing" | wc -l) files, and its checksums match"
