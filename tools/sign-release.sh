#!/usr/bin/env bash
# Signs the release's installer with Authenticode, through osslsigncode, and
# packs the release zip and its checksums again around the signed installer:
#   tools/sign-release.sh --pkcs12 FILE --password-file FILE [--timestamp URL] [BUILD_DIR]
# FILE is the code-signing certificate with its private key (PKCS#12) and the
# file that holds its password; URL an RFC 3161 time-stamping service, so
# that the signature stays valid after the certificate expires. BUILD_DIR
# (build/windows unless given) must hold the unsigned release, made with
#   cmake --build BUILD_DIR --target release
# The signed installer is BUILD_DIR/release/signed/patch_installer.exe; the zip
# and its .sha256 in BUILD_DIR/release are replaced. osslsigncode reads the
# password from its file itself: it never appears on a command line, in the
# output or in any file this script writes.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
usage="usage: sign-release.sh --pkcs12 FILE --password-file FILE [--timestamp URL] [BUILD_DIR]"

pkcs12="" password_file="" timestamp="" build="$root/build/windows"
while [ "$#" -gt 0 ]; do
  case "$1" in
    --pkcs12) pkcs12=${2:?$usage}; shift 2 ;;
    --password-file) password_file=${2:?$usage}; shift 2 ;;
    --timestamp) timestamp=${2:?$usage}; shift 2 ;;
    -*) echo "$usage" >&2; exit 2 ;;
    *) build=$1; shift ;;
  esac
done
if [ -z "$pkcs12" ] || [ -z "$password_file" ]; then
  echo "$usage" >&2
  exit 2
fi
for file in "$pkcs12" "$password_file"; do
  [ -r "$file" ] || { echo "sign-release.sh: cannot read $file" >&2; exit 2; }
done

"$root/tools/install-deps.sh"
zips=("$build"/release/*-win64.zip)
if [ "${#zips[@]}" -ne 1 ] || [ ! -f "${zips[0]}" ]; then
  echo "sign-release.sh: expected one unsigned release zip in $build/release; make it first with" >&2
  echo "  cmake --build $build --target release" >&2
  exit 2
fi
name=$(basename "${zips[0]}" .zip)

signed=$build/release/signed/patch_installer.exe
mkdir -p "$(dirname "$signed")"
rm -f "$signed"
timestamp_options=()
[ -z "$timestamp" ] || timestamp_options=(-ts "$timestamp")
osslsigncode sign -pkcs12 "$pkcs12" -readpass "$password_file" -h sha256 -n "$name" \
  "${timestamp_options[@]}" -in "$build/bin/patch_installer.exe" -out "$signed" >/dev/null
echo "signed: $signed"
"$root/packaging/pack-release.sh" "$build/release" "$name" "$signed" "$root" "$build/bin/patch_author.exe"
