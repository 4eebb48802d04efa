#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# libusb-1.0 for Windows, into PREFIX: the release of Debian 13's source
# package named below, which packaging/windows/THIRD-PARTY-NOTICES.txt names
# too (the installer build checks that they agree). Since 1.0.27 its Windows
# backend skips a USB device that is not configured (one disabled, or still
# without a driver) where 1.0.26 waited 21 x 50 ms for each such device in
# every enumeration: a second of frozen window in every retry of the open.
#
# The source is the package's upstream tarball (checked against the sha256
# below), fetched by apt from Debian 13's source index in an apt state of its
# own under WORKDIR. The machine's apt sources stay as they are, on Debian 12
# as on 13: a trixie deb-src entry there would also make `apt-get source`
# take trixie's Qt for the Qt build.
# Usage: libusb.sh PREFIX WORKDIR
set -eu
. "$(dirname "$0")/common.sh"
PREFIX=$1
WORK=$2
DEBIAN_VERSION=2:1.0.28-1
SUITE=trixie
ORIG=libusb-1.0_1.0.28.orig.tar.bz2
ORIG_SHA256=966bb0d231f94a474eaae2e67da5ec844d3527a1f386456394ff432580634b29
STAMP="$PREFIX/share/tavrix/libusb-version"
[ -e "$PREFIX/bin/libusb-1.0.dll" ] && [ "$(cat "$STAMP" 2>/dev/null)" = "$DEBIAN_VERSION" ] && exit 0

# The Debian archive the machine's apt uses (deb822 or one-line form).
debian_uri() {
    for f in /etc/apt/sources.list.d/*.sources; do
        [ -e "$f" ] && awk '/^URIs:/ && /debian/ && !/security/ { print $2; exit }' "$f"
    done
    for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
        [ -e "$f" ] && awk '$1 == "deb" && /debian/ && !/security/ { print $2; exit }' "$f"
    done
}
URI=$(debian_uri | head -n 1)
[ -n "$URI" ] || die "libusb.sh: no Debian archive in the apt sources: libusb comes from Debian's $SUITE source index"

rm -rf "$WORK/libusb"
APTDIR="$WORK/libusb/apt"
mkdir -p "$APTDIR/lists/partial" "$APTDIR/cache/archives/partial" "$WORK/libusb/src"
printf 'Types: deb-src\nURIs: %s\nSuites: %s\nComponents: main\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg\n' \
    "$URI" "$SUITE" >"$APTDIR/sources.sources"
APT_OPTS="-o Dir::Etc::SourceList=$APTDIR/sources.sources -o Dir::Etc::SourceParts=$APTDIR/none
 -o Dir::State::Lists=$APTDIR/lists -o Dir::Cache=$APTDIR/cache -o APT::Sandbox::User=root"
# shellcheck disable=SC2086
apt-get $APT_OPTS update -qq >"$WORK/libusb/apt.log" 2>&1 \
    || { cat "$WORK/libusb/apt.log"; die "libusb.sh: cannot read Debian's $SUITE source index from $URI"; }
# shellcheck disable=SC2086
apt-get $APT_OPTS source --print-uris -qq "libusb-1.0=$DEBIAN_VERSION" >"$WORK/libusb/uris" 2>>"$WORK/libusb/apt.log" \
    || die "Debian's $SUITE archive has no libusb-1.0 $DEBIAN_VERSION: update DEBIAN_VERSION, ORIG and ORIG_SHA256 here and the notices"
# 'URI' NAME SIZE SHA256:HASH, as the index says.
line=$(grep " $ORIG " "$WORK/libusb/uris") || die "libusb-1.0 $DEBIAN_VERSION carries no $ORIG"
uri=$(echo "$line" | sed "s/^'\([^']*\)'.*/\1/")
echo "$line" | grep -q "SHA256:$ORIG_SHA256" \
    || die "Debian's index gives $ORIG another sha256 than $ORIG_SHA256: $line"
/usr/lib/apt/apt-helper -o APT::Sandbox::User=root download-file "$uri" "$WORK/libusb/$ORIG" \
    "SHA256:$ORIG_SHA256" >>"$WORK/libusb/apt.log" 2>&1 \
    || { tail -n 5 "$WORK/libusb/apt.log"; die "libusb.sh: could not fetch $uri"; }
check_sha256 "$WORK/libusb/$ORIG" $ORIG_SHA256
tar -xjf "$WORK/libusb/$ORIG" -C "$WORK/libusb/src"
SRC=$(find "$WORK/libusb/src" -mindepth 1 -maxdepth 1 -type d -name 'libusb-1.0*' | head -n 1)
[ -n "$SRC" ] || die "$ORIG unpacked nothing"
mkdir "$WORK/libusb/build"
cd "$WORK/libusb/build"
"$SRC/configure" --host=$MINGW --prefix="$PREFIX" --disable-static --enable-shared \
    CC=$MINGW-gcc-posix >configure.log 2>&1 || { tail -n 30 configure.log; exit 1; }
make -j"${JOBS:-2}" >make.log 2>&1 || { tail -n 30 make.log; exit 1; }
make install >install.log 2>&1 || { tail -n 30 install.log; exit 1; }
mkdir -p "$(dirname "$STAMP")"
echo "$DEBIAN_VERSION" >"$STAMP"
echo "libusb: $(basename "$SRC") (Debian $SUITE's libusb-1.0 $DEBIAN_VERSION) installed in $PREFIX"
