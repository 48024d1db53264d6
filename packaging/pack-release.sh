#!/usr/bin/env bash
# Packs the release zip for patch authors, the same bytes from the same
# inputs on any machine and at any time:
#   pack-release.sh OUT_DIR NAME EXE SOURCE_DIR AUTHOR_EXE
# makes OUT_DIR/NAME.zip, whose folder NAME holds patch_installer.exe (a copy
# of EXE), patch_author.exe (a copy of AUTHOR_EXE), archives/config.json, PATCH-AUTHORS.txt, LICENSE (the project's,
# from SOURCE_DIR's root), THIRD-PARTY-NOTICES.txt (the licences of the code
# linked into the installer) and SHA256SUMS (the sha256sum lines of the other
# six), and OUT_DIR/NAME.zip.sha256 beside it.
# Every entry carries the time SOURCE_DATE_EPOCH (from the environment, else
# the time of SOURCE_DIR's last commit); entries are stored in name order,
# with fixed permissions and no owner or extended attributes.
set -euo pipefail
out=${1:?usage: pack-release.sh OUT_DIR NAME EXE SOURCE_DIR AUTHOR_EXE}
name=${2:?usage: pack-release.sh OUT_DIR NAME EXE SOURCE_DIR AUTHOR_EXE}
exe=${3:?usage: pack-release.sh OUT_DIR NAME EXE SOURCE_DIR AUTHOR_EXE}
source=${4:?usage: pack-release.sh OUT_DIR NAME EXE SOURCE_DIR AUTHOR_EXE}
author=${5:?usage: pack-release.sh OUT_DIR NAME EXE SOURCE_DIR AUTHOR_EXE}
export LC_ALL=C TZ=UTC

if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  if ! SOURCE_DATE_EPOCH=$(git -C "$source" log -1 --format=%ct 2>/dev/null); then
    echo "pack-release.sh: $source is no git checkout; set SOURCE_DATE_EPOCH to the release's time" >&2
    exit 2
  fi
fi

stage=$out/$name
rm -rf "$stage" "$out/$name.zip" "$out/$name.zip.sha256"
mkdir -p "$stage/archives"
install -m 0755 "$exe" "$stage/patch_installer.exe"
install -m 0755 "$author" "$stage/patch_author.exe"
install -m 0644 "$source/packaging/archives/config.json" "$stage/archives/config.json"
install -m 0644 "$source/packaging/PATCH-AUTHORS.txt" "$stage/PATCH-AUTHORS.txt"
install -m 0644 "$source/LICENSE" "$stage/LICENSE"
install -m 0644 "$source/packaging/THIRD-PARTY-NOTICES.txt" "$stage/THIRD-PARTY-NOTICES.txt"
(cd "$stage" && sha256sum patch_installer.exe patch_author.exe archives/config.json PATCH-AUTHORS.txt LICENSE \
  THIRD-PARTY-NOTICES.txt >SHA256SUMS)
chmod 0644 "$stage/SHA256SUMS"
chmod 0755 "$stage" "$stage/archives"
find "$stage" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +

# -X: no owner, no extended times; -D: no folder entries.
(cd "$out" && find "$name" -type f | sort | zip -X -D -q -9 "$name.zip" -@)
(cd "$out" && sha256sum "$name.zip" >"$name.zip.sha256")
echo "$out/$name.zip"
