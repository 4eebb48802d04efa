#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Everything the Windows build needs: Debian's cross compiler and tools, then
# libusb, libftdi and Qt for Windows under DEPS (kept there for next time).
# Usage: deps.sh DEPS LIBFTDI_TARBALL [QT_CACHE_TARBALL [QT_CHARTS_CACHE_TARBALL]]
set -eu
HERE=$(cd "$(dirname "$0")" && pwd)
. "$HERE/common.sh"
mkdir -p "$1"
DEPS=$(cd "$1" && pwd)
LIBFTDI=$2
QTCACHE=${3:-}
QTCHARTSCACHE=${4:-}

# imagemagick makes the icon; dpkg-dev unpacks Debian's sources.
apt_install g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 cmake make pkg-config \
    imagemagick dpkg-dev xz-utils bzip2
# Qt first: what it needs (a cache tarball, or Debian 12's source) stops
# the build before anything else is made.
sh "$HERE/qt.sh" "$DEPS/qt" "$DEPS/src" "$QTCACHE"
sh "$HERE/qtcharts.sh" "$DEPS/qt" "$DEPS/src" "$QTCHARTSCACHE"
sh "$HERE/libusb.sh" "$DEPS/usb" "$DEPS/src"
sh "$HERE/libftdi.sh" "$DEPS/usb" "$DEPS/src" "$LIBFTDI"
