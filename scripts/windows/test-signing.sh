#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Signing as a distributor would do it, with a throwaway self-signed
# certificate made here: the installer built with it (scripts/windows/
# installer.sh, into a folder of its own), then osslsigncode verifies every
# program and DLL staged, the installer, and, installed under Wine, every
# program and DLL installed, the uninstaller among them. An unsigned file
# must fail the same check.
# Usage: test-signing.sh BUILD_DIR
set -eu
BUILD=$(cd "$1" && pwd)
HERE=$(cd "$(dirname "$0")" && pwd)
WORK="$BUILD/signing-test"
SETUP=$(ls "$BUILD"/tavrix-*-setup.exe)
VERSION=$(basename "$SETUP" | sed 's/^tavrix-\(.*\)-setup\.exe$/\1/')
export WINEPREFIX="$WORK/wineprefix"
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEDEBUG=-all
unset WINEPATH
fail() { echo "FAIL: $*"; exit 1; }

/usr/lib/wine/wineserver -k 2>/dev/null || true
rm -rf "$WORK"
mkdir -p "$WORK/cert"
cd "$WORK/cert"
openssl req -x509 -newkey rsa:2048 -keyout key.pem -out cert.pem -days 2 -nodes \
    -subj "/CN=Tavrix throwaway test signer" -addext "extendedKeyUsage=codeSigning" 2>/dev/null
head -c 24 /dev/urandom | base64 >password
openssl pkcs12 -export -inkey key.pem -in cert.pem -out cert.p12 -passout file:password
cd "$WORK"

TAVRIX_SIGN_PKCS12="$WORK/cert/cert.p12" TAVRIX_SIGN_PASSWORD_FILE="$WORK/cert/password" \
    sh "$HERE/installer.sh" "$BUILD" "$WORK/installer" "$WORK/tavrix-$VERSION-setup.exe" "$VERSION" \
    "$BUILD/tavrix.ico" >"$WORK/installer.log" 2>&1 || { cat "$WORK/installer.log"; fail "signed installer build"; }
grep -q ': signed, with its programs and DLLs' "$WORK/installer.log" || fail "the build did not say it signed"

verify() { osslsigncode verify -CAfile "$WORK/cert/cert.pem" -in "$1" >"$WORK/verify.log" 2>&1; }
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
echo "signing test passed: $count files signed and verified (staged, installer, installed with the uninstaller)"
