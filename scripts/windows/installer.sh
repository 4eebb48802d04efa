#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# The Windows installer from a Windows build tree: installs the build into
# WORK/stage (stripped), adds the cable guide as a web page, signs every
# program and DLL there when a key is given (sign.sh), and makes
# OUT with NSIS, signing it and its uninstaller the same way.
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

# A key given wrongly, or a release without a timestamp, stops here.
signing=$(sh "$HERE/sign.sh" --check)
rm -rf "$WORK"
mkdir -p "$WORK"
cmake --install "$BUILD" --prefix "$STAGE" --strip >"$WORK/install.log"
sh "$HERE/cable-guide.sh" "$SRC/docs/cable-guide.md" "$STAGE/panduan-kabel.html"
find "$STAGE" -type f \( -name '*.exe' -o -name '*.dll' \) -exec sh "$HERE/sign.sh" {} +
sh "$HERE/nsis-files.sh" "$STAGE" "$WORK"
license=""
[ -f "$SRC/COPYING" ] && license="-DLICENSE_FILE=$SRC/COPYING"
makensis -V2 -DVERSION="$VERSION" -DLISTS="$WORK" -DICON="$ICON" -DOUTFILE="$OUT" $license \
    -DSIGN="sh $HERE/sign.sh" "$SRC/packaging/windows/tavrix.nsi"
echo "$OUT and its programs and DLLs: $signing"
