#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Qt Charts for the Windows Qt in QTDIR (the chart window): unpacked over
# that tree from the cache tarball when one is given and present (checked
# against its sha256), else cross-built from Debian's qtcharts-opensource-src
# with the tree's own qmake (3 to 10 minutes on 2 cores, as busy as they
# are). It stays in QTDIR.
# Usage: qtcharts.sh QTDIR WORKDIR [CACHE_TARBALL]
set -eu
. "$(dirname "$0")/common.sh"
QTDIR=$1
WORK=$2
CACHE=${3:-}
CACHE_SHA256=055bc3a3a521e3109e8668402a92c0b466d53f6c9e176bf9de72ad3cea359a33
[ -e "$QTDIR/lib/cmake/Qt5Charts/Qt5ChartsConfig.cmake" ] && exit 0
[ -x "$QTDIR/bin/qmake" ] || die "qtcharts.sh: no Qt in $QTDIR"

if [ -n "$CACHE" ] && [ -f "$CACHE" ]; then
    check_sha256 "$CACHE" $CACHE_SHA256
    tar -xJf "$CACHE" -C "$QTDIR" --strip-components=1
    echo "Qt Charts: unpacked $CACHE over $QTDIR"
    exit 0
fi

echo "Qt Charts: no cache tarball; building it from Debian's source (nice 19, -j${JOBS:-2})"
sh "$(dirname "$0")/debsrc.sh"
# The notices name Qt 5.15.8, Debian 12's: another release (Debian 13 has
# 5.15.15) would ship under the wrong notices.
version=$(apt-cache showsrc qtcharts-opensource-src | sed -n 's/^Version: //p' | sort -V | tail -n 1)
case "$version" in
    5.15.8*) ;;
    *) die "qtcharts-opensource-src $version here, the build ships Qt 5.15.8 (Debian 12's): give the cache tarball (QT_CHARTS_WIN_CACHE=FILE), or build on Debian 12" ;;
esac
apt_install build-essential perl
rm -rf "$WORK/qtcharts"
mkdir -p "$WORK/qtcharts"
cd "$WORK/qtcharts"
apt-get source -qq qtcharts-opensource-src
SRC=$(find "$WORK/qtcharts" -mindepth 1 -maxdepth 1 -type d -name 'qtcharts-opensource-src-*' | head -n 1)
[ -n "$SRC" ] || die "apt-get source qtcharts-opensource-src unpacked nothing"
mkdir build bin
# As for qtbase: the plain compiler names are the posix-thread ones.
for tool in gcc g++; do
    ln -s "$(command -v $MINGW-$tool-posix)" "bin/$MINGW-$tool"
done
PATH="$WORK/qtcharts/bin:$PATH"
cd build
nice -n 19 "$QTDIR/bin/qmake" "$SRC" >qmake.log 2>&1 || { tail -n 40 qmake.log; exit 1; }
nice -n 19 make -j"${JOBS:-2}" >make.log 2>&1 || { tail -n 40 make.log; exit 1; }
make install >install.log 2>&1 || { tail -n 40 install.log; exit 1; }
echo "Qt Charts: $(basename "$SRC") built and installed in $QTDIR"
