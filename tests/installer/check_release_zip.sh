#!/usr/bin/env bash
# Builds the release zip with cpack and checks that it holds exactly what a
# patch author needs.
#   check_release_zip.sh BUILD_DIR ZIP_NAME
set -euo pipefail
build=$1
zip_name=$2
top=${zip_name%.zip}

rm -f "$build/release/$zip_name"
(cd "$build" && cpack --config CPackConfig.cmake >/dev/null)
[ -f "$build/release/$zip_name" ] || { echo "FAIL: $build/release/$zip_name was not made" >&2; exit 1; }

listing=$(cd "$build/release" && cmake -E tar tf "$zip_name" | grep -v '/$' | sort)
expected=$(printf '%s\n' "$top/PATCH-AUTHORS.txt" "$top/archives/config.json" "$top/patch_installer.exe" | sort)
if [ "$listing" != "$expected" ]; then
  echo "FAIL: the zip holds" >&2
  printf '%s\n' "$listing" >&2
  echo "instead of" >&2
  printf '%s\n' "$expected" >&2
  exit 1
fi
echo "ok: $zip_name holds $(echo "$listing" | wc -l) files"
