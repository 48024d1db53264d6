#!/usr/bin/env bash
# Builds the release of the current commit twice, from two clean clones in
# folders of different paths, one after the other, and checks that the
# installer and the release zip come out byte for byte the same. Prints the
# SHA-256 of both; names the first differing byte of a file that differs.
#   tools/check-reproducible.sh   (KEEP=1 keeps the two clones)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$root/tools/install-deps.sh"

commit=$(git -C "$root" rev-parse HEAD)
work=$(mktemp -d /tmp/reproducible.XXXXXX)
[ -n "${KEEP:-}" ] || trap 'rm -rf "$work"' EXIT
name=$(sed -n 's/^ *VERSION \([0-9.]*\)$/patch_installer-\1-win64/p' "$root/CMakeLists.txt")

# build CLONE: a clean clone of the commit, built as a release.
build() {
  git clone -q --no-hardlinks "$root" "$1"
  git -C "$1" checkout -q --detach "$commit"
  cmake -S "$1" -B "$1/build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
    -DCMAKE_TOOLCHAIN_FILE="$1/cmake/mingw-w64-x86_64.cmake" >/dev/null
  cmake --build "$1/build" --target release >/dev/null
}

first=$work/first/src
second=$work/second/a/longer/path/to/the/sources
echo "== Building $commit in $first"
build "$first"
echo "== Building it again in $second"
build "$second"

status=0
for file in "bin/patch_installer.exe" "bin/patch_author.exe" "release/$name.zip" "release/$name.zip.sha256"; do
  a=$first/build/$file b=$second/build/$file
  if difference=$(cmp "$a" "$b" 2>&1); then
    echo "same: $file  sha256 $(sha256sum <"$a" | cut -d' ' -f1)"
  else
    echo "FAIL: $file differs between the two builds: $difference" >&2
    status=1
  fi
done
exit $status
