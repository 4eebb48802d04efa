#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Signing as a distributor would do it, with throwaway keys made here: a key
# made on a software token (SoftHSM) and reached through PKCS#11, as a
# hardware token or a cloud HSM is, signs the installer build
# (scripts/windows/installer.sh, into a folder of its own); osslsigncode then
# verifies every program and DLL staged, the installer, and, installed under
# Wine, every program and DLL installed, the uninstaller among them. A wrong
# PIN signs nothing; a PKCS#12 file signs too; without a timestamp server
# only a test run signs. An unsigned file must fail the same check.
# Usage: test-signing.sh BUILD_DIR
set -eu
BUILD=$(cd "$1" && pwd)
HERE=$(cd "$(dirname "$0")" && pwd)
WORK="$BUILD/signing-test"
SETUP=$(ls "$BUILD"/tavrix-*-setup.exe)
VERSION=$(basename "$SETUP" | sed 's/^tavrix-\(.*\)-setup\.exe$/\1/')
MODULE=/usr/lib/softhsm/libsofthsm2.so
ENGINE=$(openssl version -e | sed -n 's/^ENGINESDIR: "\(.*\)"$/\1/p')/pkcs11.so
KEY='pkcs11:token=tavrix-test;object=signer;type=private'
export WINEPREFIX="$WORK/wineprefix"
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEDEBUG=-all
unset WINEPATH
fail() { echo "FAIL: $*"; exit 1; }
[ -r "$MODULE" ] || fail "no SoftHSM module at $MODULE (apt-get install softhsm2)"

/usr/lib/wine/wineserver -k 2>/dev/null || true
rm -rf "$WORK"
mkdir -p "$WORK/token/objects" "$WORK/p12"

# --- a throwaway token: its key made on it, its certificate signed by it ---
TOKEN="$WORK/token"
printf 'directories.tokendir = %s/objects\nobjectstore.backend = file\nlog.level = ERROR\n' \
    "$TOKEN" >"$TOKEN/softhsm2.conf"
export SOFTHSM2_CONF="$TOKEN/softhsm2.conf"
head -c 12 /dev/urandom | od -An -tx1 | tr -d ' \n' >"$TOKEN/pin"
PIN=$(cat "$TOKEN/pin")
softhsm2-util --init-token --free --label tavrix-test --pin "$PIN" --so-pin "$PIN" \
    >"$TOKEN/token.log" 2>&1 || { cat "$TOKEN/token.log"; fail "softhsm2-util could not make the token"; }
pkcs11-tool --module "$MODULE" --token-label tavrix-test --login --pin "$PIN" \
    --keypairgen --key-type rsa:2048 --id 01 --label signer >>"$TOKEN/token.log" 2>&1 \
    || { cat "$TOKEN/token.log"; fail "pkcs11-tool could not make the key on the token"; }
printf 'openssl_conf = conf\n[conf]\nengines = engines\n[engines]\npkcs11 = pkcs11_engine\n[pkcs11_engine]\nengine_id = pkcs11\ndynamic_path = %s\nMODULE_PATH = %s\n' \
    "$ENGINE" "$MODULE" >"$TOKEN/openssl.cnf"
OPENSSL_CONF="$TOKEN/openssl.cnf" openssl req -new -x509 -days 2 -engine pkcs11 -keyform engine \
    -key "$KEY;pin-value=$PIN" -subj "/CN=Tavrix throwaway token signer" \
    -addext "extendedKeyUsage=codeSigning" -out "$TOKEN/cert.pem" >>"$TOKEN/token.log" 2>&1 \
    || { cat "$TOKEN/token.log"; fail "no certificate for the token's key"; }
on_token() {
    TAVRIX_SIGN_PKCS11_MODULE="$MODULE" TAVRIX_SIGN_PKCS11_KEY="$KEY" \
    TAVRIX_SIGN_CERT="$TOKEN/cert.pem" TAVRIX_SIGN_PIN_FILE="${PIN_FILE:-$TOKEN/pin}" "$@"
}

# A release needs a timestamp: without one only a test run signs.
on_token sh "$HERE/sign.sh" --check >"$WORK/check.log" 2>&1 \
    && fail "signing without a timestamp URL was not refused: $(cat "$WORK/check.log")"
grep -q "SIGN_TIMESTAMP_URL" "$WORK/check.log" || fail "the refusal does not name SIGN_TIMESTAMP_URL"
on_token env TAVRIX_SIGN_TEST=1 sh "$HERE/sign.sh" --check | grep -q "PKCS#11" \
    || fail "a test run on the token was refused"

on_token env TAVRIX_SIGN_TEST=1 \
    sh "$HERE/installer.sh" "$BUILD" "$WORK/installer" "$WORK/tavrix-$VERSION-setup.exe" "$VERSION" \
    "$BUILD/tavrix.ico" >"$WORK/installer.log" 2>&1 || { cat "$WORK/installer.log"; fail "signed installer build"; }
grep -q ': signed through PKCS#11' "$WORK/installer.log" || fail "the build did not say it signed on the token"

verify() { osslsigncode verify -CAfile "${CERT:-$TOKEN/cert.pem}" -in "$1" >"$WORK/verify.log" 2>&1; }
count=0
check() {
    verify "$1" || { cat "$WORK/verify.log"; fail "not signed: $1"; }
    count=$((count + 1))
}
# Every program and DLL under FOLDER (names may hold blanks: "Program Files").
check_all() {
    find "$1" -type f \( -name '*.exe' -o -name '*.dll' \) | sort >"$WORK/files.txt"
    [ -s "$WORK/files.txt" ] || fail "nothing to check in $1"
    while IFS= read -r f; do check "$f"; done <"$WORK/files.txt"
}
check_all "$WORK/installer/stage"
check "$WORK/tavrix-$VERSION-setup.exe"

/usr/lib/wine/wine64 wineboot -i </dev/null >"$WORK/wine.log" 2>&1
/usr/lib/wine/wine64 "$WORK/tavrix-$VERSION-setup.exe" /S </dev/null >>"$WORK/wine.log" 2>&1 \
    || fail "the signed setup.exe /S exited $?"
/usr/lib/wine/wineserver -w
APP="$WINEPREFIX/drive_c/Program Files/Tavrix"
[ -f "$APP/Uninstall.exe" ] || fail "the signed installer installed no uninstaller"
check_all "$APP"
/usr/lib/wine/wineserver -k 2>/dev/null || true

verify "$BUILD/tavrix.exe" && fail "an unsigned program passed the check"

# A wrong PIN: the token refuses, the file stays as it was.
cp "$BUILD/tavrix.exe" "$WORK/wrong-pin.exe"
echo 000000 >"$WORK/wrong-pin"
PIN_FILE="$WORK/wrong-pin" on_token env TAVRIX_SIGN_TEST=1 \
    sh "$HERE/sign.sh" "$WORK/wrong-pin.exe" >"$WORK/wrong-pin.log" 2>&1 && fail "a wrong PIN signed"
cmp -s "$BUILD/tavrix.exe" "$WORK/wrong-pin.exe" || fail "a wrong PIN changed the file"

# A PKCS#12 file, the other way to give the key.
P12="$WORK/p12"
openssl req -x509 -newkey rsa:2048 -keyout "$P12/key.pem" -out "$P12/cert.pem" -days 2 -nodes \
    -subj "/CN=Tavrix throwaway test signer" -addext "extendedKeyUsage=codeSigning" 2>/dev/null
head -c 24 /dev/urandom | base64 >"$P12/password"
openssl pkcs12 -export -inkey "$P12/key.pem" -in "$P12/cert.pem" -out "$P12/cert.p12" \
    -passout "file:$P12/password"
cp "$BUILD/tavrix.exe" "$SETUP" "$P12/"
TAVRIX_SIGN_PKCS12="$P12/cert.p12" TAVRIX_SIGN_PASSWORD_FILE="$P12/password" TAVRIX_SIGN_TEST=1 \
    sh "$HERE/sign.sh" "$P12/tavrix.exe" "$P12/$(basename "$SETUP")" || fail "PKCS#12 signing"
CERT="$P12/cert.pem" check "$P12/tavrix.exe"
CERT="$P12/cert.pem" check "$P12/$(basename "$SETUP")"
echo "signing test passed: $count files signed and verified (on the token: staged, installer, installed with the uninstaller; two with a PKCS#12 file); a wrong PIN and a release without a timestamp refused"
