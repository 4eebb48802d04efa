#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Signs Windows programs, DLLs and installers in place with osslsigncode
# (Authenticode, SHA-256), when a certificate is given; without one it does
# nothing, and the build stays unsigned.
#   TAVRIX_SIGN_PKCS12         the certificate and its key, PKCS#12 (.p12/.pfx)
#   TAVRIX_SIGN_PASSWORD_FILE  a file holding its password
#   TAVRIX_SIGN_TIMESTAMP_URL  a timestamp server (RFC 3161), optional: the
#                              signature then outlives the certificate
# Usage: sign.sh FILE...
set -eu
[ -n "${TAVRIX_SIGN_PKCS12:-}" ] || exit 0
[ -r "$TAVRIX_SIGN_PKCS12" ] || { echo "sign.sh: cannot read $TAVRIX_SIGN_PKCS12" >&2; exit 1; }
[ -r "${TAVRIX_SIGN_PASSWORD_FILE:-}" ] \
    || { echo "sign.sh: TAVRIX_SIGN_PASSWORD_FILE must name the certificate's password file" >&2; exit 1; }
for f in "$@"; do
    osslsigncode sign -pkcs12 "$TAVRIX_SIGN_PKCS12" -readpass "$TAVRIX_SIGN_PASSWORD_FILE" \
        -h sha256 -n "Tavrix Motorcycle Diagnostics" -i "https://tavrix.org/" \
        ${TAVRIX_SIGN_TIMESTAMP_URL:+-ts "$TAVRIX_SIGN_TIMESTAMP_URL"} \
        -in "$f" -out "$f.signed" >"$f.signlog" 2>&1 \
        || { cat "$f.signlog" >&2; rm -f "$f.signed" "$f.signlog"; exit 1; }
    mv "$f.signed" "$f"
    rm -f "$f.signlog"
done
