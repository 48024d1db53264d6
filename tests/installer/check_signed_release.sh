#!/usr/bin/env bash
# Signs the release with a throwaway self-signed code-signing certificate and
# checks: the signature verifies (trusting that certificate) and matches the
# file; the same file altered by one byte does not verify; the zip and its
# checksums hold the signed installer; the signed installer installs the demo
# patch under Wine; and the password shows up in no output and no file.
#   check_signed_release.sh SOURCE_DIR BUILD_DIR PREFIX
set -euo pipefail
# A command that stops the check says so.
trap 'echo "FAIL: line $LINENO: $BASH_COMMAND exited with $?, expected 0" >&2' ERR
source=$1
build=$(cd "$2" && pwd)
export WINEPREFIX=$3 WINEDEBUG=-all
sandbox="$WINEPREFIX/drive_c/signed-check"
key='HKCU\Software\Mirelune\Starfall Tactics'
secrets=$(mktemp -d)
log=$secrets/log
cleanup() {
  rm -rf "$secrets" "$sandbox"
  wine reg delete "$key" /f </dev/null >/dev/null 2>&1 || true
}
trap cleanup EXIT

fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --build "$build" --target release >/dev/null
name=$(basename "$build"/release/*-win64.zip .zip)

# A certificate for this run only; its password never leaves its files.
(
  umask 077
  head -c 24 /dev/urandom | base64 >"$secrets/password"
  cp "$secrets/password" "$secrets/password-again"  # openssl reads a file's next line for a second password
  openssl req -x509 -newkey rsa:2048 -keyout "$secrets/key.pem" -passout "file:$secrets/password" \
    -out "$secrets/cert.pem" -days 2 -subj "/CN=Patch Installer Test Signing" \
    -addext "extendedKeyUsage=codeSigning" -addext "keyUsage=digitalSignature"
  openssl pkcs12 -export -inkey "$secrets/key.pem" -passin "file:$secrets/password" -in "$secrets/cert.pem" \
    -passout "file:$secrets/password-again" -out "$secrets/cert.p12"
) >>"$log" 2>&1 || { cat "$log" >&2; fail "expected openssl to make a certificate; it did not"; }

# osslsigncode through a stand-in that records its command lines.
mkdir -p "$secrets/bin"
cat >"$secrets/bin/osslsigncode" <<SHIM
#!/bin/sh
printf '%s\n' "\$*" >>"$secrets/command-lines"
exec $(command -v osslsigncode) "\$@"
SHIM
chmod +x "$secrets/bin/osslsigncode"
PATH="$secrets/bin:$PATH" "$source/tools/sign-release.sh" --pkcs12 "$secrets/cert.p12" \
  --password-file "$secrets/password" "$build" >>"$log" 2>&1 ||
  { cat "$log" >&2; fail "expected sign-release.sh to succeed; it did not"; }
grep -q -- "-in " "$secrets/command-lines" || fail "expected sign-release.sh to run osslsigncode; it did not"
signed=$build/release/signed/patch_installer.exe

# Trusting the throwaway certificate, the signature must verify and its
# digest match the file; one byte changed must break it.
osslsigncode verify -CAfile "$secrets/cert.pem" -in "$signed" >"$secrets/verify" 2>&1 ||
  fail "expected the signed installer to verify; osslsigncode says: $(tail -n 3 "$secrets/verify")"
grep -q "MISMATCH" "$secrets/verify" && fail "expected the signature's digest to match the file; it does not"
cp "$signed" "$secrets/altered.exe"
printf '\x5a' | dd of="$secrets/altered.exe" bs=1 seek=4096 conv=notrunc status=none
cmp -s "$signed" "$secrets/altered.exe" && printf '\x5b' | dd of="$secrets/altered.exe" bs=1 seek=4096 conv=notrunc status=none
if osslsigncode verify -CAfile "$secrets/cert.pem" -in "$secrets/altered.exe" >"$secrets/verify-altered" 2>&1; then
  fail "expected an installer altered by one byte to fail verification; it passed"
fi
# Removing the signature gives back the unsigned build, byte for byte.
osslsigncode remove-signature -in "$signed" -out "$secrets/unsigned.exe" >>"$log" 2>&1
cmp -s "$secrets/unsigned.exe" "$build/bin/patch_installer.exe" ||
  fail "expected the signed installer without its signature to be the unsigned build; it differs"

# The zip holds the signed installer, and its checksums say so.
unpacked=$secrets/unpacked
mkdir -p "$unpacked"
(cd "$unpacked" && cmake -E tar xf "$build/release/$name.zip")
cmp -s "$unpacked/$name/patch_installer.exe" "$signed" ||
  fail "expected the zip to hold the signed installer; it holds another"
(cd "$unpacked/$name" && sha256sum -c --quiet SHA256SUMS) >>"$log" 2>&1 ||
  fail "expected SHA256SUMS to match the signed zip's files; they do not"
(cd "$build/release" && sha256sum -c --quiet "$name.zip.sha256") >>"$log" 2>&1 ||
  fail "expected $name.zip.sha256 to match the signed zip; it does not"

# The signed installer from the zip installs the demo patch.
mkdir -p "$sandbox/installer" "$sandbox/game/Data"
cp "$unpacked/$name/patch_installer.exe" "$sandbox/installer/"
cp -r "$source/examples/demo-patch/archives" "$sandbox/installer/"
wine reg add "$key" /v InstallPath /d 'C:\signed-check\game' /f </dev/null >/dev/null 2>&1
run=$(wine "$build/bin/run_and_report.exe" 'C:\signed-check\installer\patch_installer.exe' \
  'C:\signed-check' </dev/null | tr -d '\r')
echo "$run" >>"$log"
grep -qx 'Message box text:    Patch installed. Have fun ;)' <<<"$run" && grep -qx 'Exit code: 0' <<<"$run" ||
  fail "expected the signed installer to install the demo patch; it showed: $run"
[ -f "$sandbox/game/Data/balance.ini" ] || fail "expected Data/balance.ini in the game folder; it is missing"

# No trace of the password anywhere but in its own files.
password=$(cat "$secrets/password")
if grep -rqF "$password" "$log" "$secrets/command-lines" "$build/release" "$secrets/verify" \
  "$secrets/verify-altered"; then
  fail "expected the password in no output, command line or release file; it was found"
fi
echo "ok: the signed installer verifies, one byte changed does not, and it installs the demo patch"
