#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# libusb-1.0 for Windows from Debian's source package, into PREFIX: the one
# release named below, which packaging/windows/THIRD-PARTY-NOTICES.txt names
# too (the installer build checks that they agree).
# Usage: libusb.sh PREFIX WORKDIR
set -eu
. "$(dirname "$0")/common.sh"
PREFIX=$1
WORK=$2
DEBIAN_VERSION=2:1.0.26-1
STAMP="$PREFIX/share/tavrix/libusb-version"
[ -e "$PREFIX/bin/libusb-1.0.dll" ] && [ "$(cat "$STAMP" 2>/dev/null)" = "$DEBIAN_VERSION" ] && exit 0

sh "$(dirname "$0")/debsrc.sh"
rm -rf "$WORK/libusb"
mkdir -p "$WORK/libusb"
cd "$WORK/libusb"
apt-get source -qq "libusb-1.0=$DEBIAN_VERSION" \
    || die "Debian's archive has no libusb-1.0 $DEBIAN_VERSION: update DEBIAN_VERSION here and the notices"
SRC=$(find . -mindepth 1 -maxdepth 1 -type d -name 'libusb-1.0-*' | head -n 1)
[ -n "$SRC" ] || die "apt-get source libusb-1.0 unpacked nothing"
mkdir build
cd build
"../$SRC/configure" --host=$MINGW --prefix="$PREFIX" --disable-static --enable-shared \
    CC=$MINGW-gcc-posix >configure.log 2>&1 || { tail -n 30 configure.log; exit 1; }
make -j"${JOBS:-2}" >make.log 2>&1 || { tail -n 30 make.log; exit 1; }
make install >install.log 2>&1 || { tail -n 30 install.log; exit 1; }
mkdir -p "$(dirname "$STAMP")"
echo "$DEBIAN_VERSION" >"$STAMP"
echo "libusb: $(basename "$SRC") installed in $PREFIX"
