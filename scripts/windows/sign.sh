#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Signs Windows programs, DLLs and installers in place with osslsigncode
# (Authenticode, SHA-256), when a key is given; without one it does nothing,
# and the build stays unsigned. The key is either
#   on a hardware token or in a cloud HSM, reached through PKCS#11 (how a
#   publicly trusted code-signing key is kept since June 2023):
#     TAVRIX_SIGN_PKCS11_MODULE  the token's PKCS#11 module (.so)
#     TAVRIX_SIGN_PKCS11_KEY     the key's PKCS#11 URI ('pkcs11:token=...;object=...')
#     TAVRIX_SIGN_CERT           its certificate chain, PEM
#     TAVRIX_SIGN_PIN_FILE       a file holding the token's PIN
#     TAVRIX_SIGN_PKCS11_ENGINE  OpenSSL's PKCS#11 engine (default: pkcs11.so
#                                in OpenSSL's engines folder, from Debian's
#                                libengine-pkcs11-openssl)
#   or in a PKCS#12 file:
#     TAVRIX_SIGN_PKCS12         the certificate and its key (.p12/.pfx)
#     TAVRIX_SIGN_PASSWORD_FILE  a file holding its password
# and, for either:
#   TAVRIX_SIGN_TIMESTAMP_URL  a timestamp server (RFC 3161): required, for a
#                              signature without a timestamp dies with its
#                              certificate
#   TAVRIX_SIGN_TEST=1         a test run: signs without a timestamp
# Usage: sign.sh --check      says how it would sign, or why it cannot
#        sign.sh FILE...
set -eu

fail() { echo "sign.sh: $*" >&2; exit 1; }
readable() { [ -r "$2" ] || fail "$1 must name a readable file (it is '${2}')"; }

mode=none
if [ -n "${TAVRIX_SIGN_PKCS11_MODULE:-}${TAVRIX_SIGN_PKCS11_KEY:-}" ]; then
    mode=pkcs11
    [ -z "${TAVRIX_SIGN_PKCS12:-}" ] || fail "give a PKCS#11 key or a PKCS#12 file, not both"
    readable TAVRIX_SIGN_PKCS11_MODULE "${TAVRIX_SIGN_PKCS11_MODULE:-}"
    case "${TAVRIX_SIGN_PKCS11_KEY:-}" in
        pkcs11:*) ;;
        *) fail "TAVRIX_SIGN_PKCS11_KEY must be the key's PKCS#11 URI (pkcs11:...)" ;;
    esac
    readable TAVRIX_SIGN_CERT "${TAVRIX_SIGN_CERT:-}"
    readable TAVRIX_SIGN_PIN_FILE "${TAVRIX_SIGN_PIN_FILE:-}"
    ENGINE=${TAVRIX_SIGN_PKCS11_ENGINE:-$(openssl version -e 2>/dev/null \
        | sed -n 's/^ENGINESDIR: "\(.*\)"$/\1/p')/pkcs11.so}
    [ -r "$ENGINE" ] || fail "no OpenSSL PKCS#11 engine at $ENGINE (apt-get install libengine-pkcs11-openssl)"
elif [ -n "${TAVRIX_SIGN_PKCS12:-}" ]; then
    mode=pkcs12
    readable TAVRIX_SIGN_PKCS12 "$TAVRIX_SIGN_PKCS12"
    readable TAVRIX_SIGN_PASSWORD_FILE "${TAVRIX_SIGN_PASSWORD_FILE:-}"
fi
if [ "$mode" != none ] && [ -z "${TAVRIX_SIGN_TIMESTAMP_URL:-}" ] && [ "${TAVRIX_SIGN_TEST:-}" != 1 ]; then
    fail "a release is signed with a timestamp: give SIGN_TIMESTAMP_URL (your certificate authority names one), or SIGN_TEST=1 for a test run"
fi

if [ "${1:-}" = --check ]; then
    case $mode in
        none) echo "unsigned (no key given: SIGN_PKCS11_MODULE and SIGN_PKCS11_KEY, or SIGN_PKCS12)" ;;
        pkcs11) echo "signed through PKCS#11 ($TAVRIX_SIGN_PKCS11_KEY)" ;;
        pkcs12) echo "signed with $TAVRIX_SIGN_PKCS12" ;;
    esac
    if [ "$mode" != none ] && [ -z "${TAVRIX_SIGN_TIMESTAMP_URL:-}" ]; then
        echo "  without a timestamp (SIGN_TEST=1): not for release"
    fi
    exit 0
fi
[ "$mode" = none ] && exit 0

for f in "$@"; do
    # The key's secret stays in its file: osslsigncode reads it as the
    # PKCS#12 password or as the token's PIN.
    if [ "$mode" = pkcs11 ]; then
        set -- -pkcs11engine "$ENGINE" -pkcs11module "$TAVRIX_SIGN_PKCS11_MODULE" \
            -certs "$TAVRIX_SIGN_CERT" -key "$TAVRIX_SIGN_PKCS11_KEY" -readpass "$TAVRIX_SIGN_PIN_FILE"
    else
        set -- -pkcs12 "$TAVRIX_SIGN_PKCS12" -readpass "$TAVRIX_SIGN_PASSWORD_FILE"
    fi
    osslsigncode sign "$@" -h sha256 -n "Tavrix Motorcycle Diagnostics" -i "https://tavrix.org/" \
        ${TAVRIX_SIGN_TIMESTAMP_URL:+-ts "$TAVRIX_SIGN_TIMESTAMP_URL"} \
        -in "$f" -out "$f.signed" >"$f.signlog" 2>&1 \
        || { cat "$f.signlog" >&2; rm -f "$f.signed" "$f.signlog"; exit 1; }
    mv "$f.signed" "$f"
    rm -f "$f.signlog"
done
