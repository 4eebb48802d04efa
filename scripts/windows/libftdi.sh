#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# libftdi 1.5 (the C library only) for Windows from its release tarball,
# into PREFIX, over the libusb already there.
# Usage: libftdi.sh PREFIX WORKDIR TARBALL
set -eu
. "$(dirname "$0")/common.sh"
PREFIX=$1
WORK=$2
TARBALL=$3
SHA256=02dcb6b36741096b09357ea8d1402a5b2d1df19496152bfad7308504dcc6842d
TOOLCHAIN=$(cd "$(dirname "$0")/../../cmake" && pwd)/mingw-w64.cmake
[ -e "$PREFIX/bin/libftdi1.dll" ] && exit 0

[ -f "$TARBALL" ] || die "no libftdi1-1.5.tar.bz2 at $TARBALL: give its path with LIBFTDI_TARBALL=PATH"
check_sha256 "$TARBALL" $SHA256
rm -rf "$WORK/libftdi"
mkdir -p "$WORK/libftdi"
tar -xjf "$TARBALL" -C "$WORK/libftdi"
cmake -S "$WORK/libftdi/libftdi1-1.5" -B "$WORK/libftdi/build" \
    -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" -DTAVRIX_WIN_PREFIXES="$PREFIX" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$PREFIX" \
    -DLIBUSB_INCLUDE_DIR="$PREFIX/include/libusb-1.0" -DLIBUSB_LIBRARIES="$PREFIX/lib/libusb-1.0.dll.a" \
    -DSTATICLIBS=OFF -DEXAMPLES=OFF -DFTDI_EEPROM=OFF -DFTDIPP=OFF -DPYTHON_BINDINGS=OFF \
    -DDOCUMENTATION=OFF -DBUILD_TESTS=OFF >"$WORK/libftdi/configure.log" 2>&1 \
    || { tail -n 30 "$WORK/libftdi/configure.log"; exit 1; }
cmake --build "$WORK/libftdi/build" -j"${JOBS:-2}" >"$WORK/libftdi/make.log" 2>&1 \
    || { tail -n 30 "$WORK/libftdi/make.log"; exit 1; }
cmake --install "$WORK/libftdi/build" >/dev/null
# Its .pc names bin/ as libdir on Windows; the import library is in lib/.
sed -i 's|^libdir=.*|libdir=${prefix}/lib|' "$PREFIX/lib/pkgconfig/libftdi1.pc"
echo "libftdi: 1.5 installed in $PREFIX"
