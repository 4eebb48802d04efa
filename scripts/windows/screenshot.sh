#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# The Windows build on the demo bike, for the README: tavrix-demo.exe under
# Wine with Qt's windows platform plugin, in a framed Wine desktop on a
# virtual X display, photographed once its table has filled.
# Usage: screenshot.sh BUILD_DIR OUT.png
set -eu
SIZE=800x500
[ -n "${TAVRIX_IN_XVFB:-}" ] || exec env TAVRIX_IN_XVFB=1 xvfb-run -a -s "-screen 0 ${SIZE}x24" sh "$0" "$@"
BUILD=$(cd "$1" && pwd)
OUT=$2
export WINEPREFIX="$BUILD/wineprefix-screenshot"
/usr/lib/wine/wineserver -k 2>/dev/null || true
rm -rf "$WINEPREFIX"
# A new prefix, with Wine's own fonts (fonts-wine: Tahoma, and Marlett for
# the title-bar buttons) where Windows keeps them: this Wine does not find
# them where Debian puts them.
"$BUILD/wine-run.sh" cmd /c rem >/dev/null
cp /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
/usr/lib/wine/wineserver -w
# Qt's windows plugin, not the offscreen one the tests use.
unset QT_QPA_PLATFORM
WINEQT_QPA_PLATFORM=windows "$BUILD/wine-run.sh" explorer /desktop=Tavrix,$SIZE \
    "Z:$BUILD/tavrix-demo.exe" >"$BUILD/screenshot.log" 2>&1 &
# The first start makes the prefix (several seconds); then the demo bike
# logs in and the table fills.
sleep "${SHOT_DELAY:-25}"
import -window root "$OUT"
/usr/lib/wine/wineserver -k 2>/dev/null || true
wait || true
spread=$(convert "$OUT" -colorspace Gray -format '%[fx:standard_deviation]' info:)
awk -v s="$spread" 'BEGIN { exit !(s > 0.01) }' || { echo "$OUT looks blank"; exit 1; }
echo "wrote $OUT ($(identify -format '%wx%h' "$OUT"))"
