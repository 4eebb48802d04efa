#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Qt 5 for Windows into QTDIR: unpacked from the cache tarball when one is
# given and present (checked against its sha256), else cross-built from
# Debian's qtbase-opensource-src (about 25 minutes on 2 cores). QTDIR stays
# for the next build.
# Usage: qt.sh QTDIR WORKDIR [CACHE_TARBALL]
set -eu
. "$(dirname "$0")/common.sh"
QTDIR=$1
WORK=$2
CACHE=${3:-}
CACHE_SHA256=1b10322f0f2f3a77658c1d7fecfd1d3182dbc4ed353e26555882c95d41fb30f2
[ -e "$QTDIR/lib/cmake/Qt5/Qt5Config.cmake" ] && exit 0

rm -rf "$QTDIR"
if [ -n "$CACHE" ] && [ -f "$CACHE" ]; then
    check_sha256 "$CACHE" $CACHE_SHA256
    mkdir -p "$QTDIR"
    tar -xJf "$CACHE" -C "$QTDIR" --strip-components=1
    echo "Qt: unpacked $CACHE into $QTDIR"
    exit 0
fi

echo "Qt: no cache tarball; building qtbase from Debian's source (nice 19, -j${JOBS:-2})"
sh "$(dirname "$0")/debsrc.sh"
# The notices name Qt 5.15.8, Debian 12's: another release (Debian 13 has
# 5.15.15) would ship under the wrong notices.
version=$(apt-cache showsrc qtbase-opensource-src | sed -n 's/^Version: //p' | sort -V | tail -n 1)
case "$version" in
    5.15.8*) ;;
    *) die "qtbase-opensource-src $version here, the build ships Qt 5.15.8 (Debian 12's): give the cache tarball (QT_WIN_CACHE=FILE), or build on Debian 12" ;;
esac
apt_install build-essential perl python3
rm -rf "$WORK/qt"
mkdir -p "$WORK/qt"
cd "$WORK/qt"
apt-get source -qq qtbase-opensource-src
SRC=$(find "$WORK/qt" -mindepth 1 -maxdepth 1 -type d -name 'qtbase-opensource-src-*' | head -n 1)
[ -n "$SRC" ] || die "apt-get source qtbase-opensource-src unpacked nothing"
mkdir build bin
# Qt calls the compilers by their plain names: make those the posix-thread
# ones even where the win32-thread ones are installed and preferred.
for tool in gcc g++; do
    ln -s "$(command -v $MINGW-$tool-posix)" "bin/$MINGW-$tool"
done
PATH="$WORK/qt/bin:$PATH"
cd build
# Debian's source drops src/3rdparty/wintab and sqlite: no tablet events,
# no SQLite driver.
nice -n 19 "$SRC/configure" -xplatform win32-g++ -device-option CROSS_COMPILE=$MINGW- \
    -prefix "$QTDIR" -opensource -confirm-license -release -nomake examples -nomake tests \
    -no-opengl -no-dbus -no-icu -qt-zlib -qt-libpng -qt-libjpeg -qt-pcre -qt-freetype -qt-harfbuzz \
    -no-sql-sqlite -no-sql-odbc -no-openssl -no-feature-tabletevent >configure.log 2>&1 \
    || { tail -n 40 configure.log; exit 1; }
nice -n 19 make -j"${JOBS:-2}" >make.log 2>&1 || { tail -n 40 make.log; exit 1; }
make install >install.log 2>&1 || { tail -n 40 install.log; exit 1; }
echo "Qt: $(basename "$SRC") built and installed in $QTDIR"
