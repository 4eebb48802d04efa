#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# The Windows installer from a Windows build tree: installs the build into
# WORK/stage (stripped), adds the cable guide as a web page, and makes OUT
# with NSIS.
# Usage: installer.sh BUILD_DIR WORK OUT VERSION ICON
set -eu
HERE=$(cd "$(dirname "$0")" && pwd)
SRC=$(cd "$HERE/../.." && pwd)
BUILD=$1
WORK=$2
OUT=$3
VERSION=$4
ICON=$5
STAGE="$WORK/stage"

rm -rf "$WORK"
mkdir -p "$WORK"
cmake --install "$BUILD" --prefix "$STAGE" --strip >"$WORK/install.log"
sh "$HERE/cable-guide.sh" "$SRC/docs/cable-guide.md" "$STAGE/panduan-kabel.html"
sh "$HERE/nsis-files.sh" "$STAGE" "$WORK"
license=""
[ -f "$SRC/COPYING" ] && license="-DLICENSE_FILE=$SRC/COPYING"
makensis -V2 -DVERSION="$VERSION" -DLISTS="$WORK" -DICON="$ICON" -DOUTFILE="$OUT" $license \
    "$SRC/packaging/windows/tavrix.nsi"
