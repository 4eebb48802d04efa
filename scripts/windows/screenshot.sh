#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# The Windows build's pictures for the README, under Wine with Qt's windows
# platform plugin on a virtual X display:
#   OUTDIR/screenshot-windows-demo.png  tavrix-demo.exe in a framed Wine
#       desktop at 96 DPI, photographed once its table has filled;
#   OUTDIR/screenshot-150-windows.png  the window at 144 DPI (150 %), as
#       tavrix-screenshots draws it: a value with its unit, the longest name.
# Usage: screenshot.sh BUILD_DIR OUTDIR
set -eu
SIZE=800x500
[ -n "${TAVRIX_IN_XVFB:-}" ] || exec env TAVRIX_IN_XVFB=1 xvfb-run -a -s "-screen 0 1920x1080x24" sh "$0" "$@"
BUILD=$(cd "$1" && pwd)
OUT=$(cd "$2" && pwd)
export WINEPREFIX="$BUILD/wineprefix-screenshot"
# Qt's windows plugin, not the offscreen one the tests use.
unset QT_QPA_PLATFORM

# A new prefix, with Wine's own fonts (fonts-wine: Tahoma, and Marlett for
# the title-bar buttons) where Windows keeps them: this Wine does not find
# them where Debian puts them. DPI: Windows' LogPixels.
new_prefix() {
    /usr/lib/wine/wineserver -k 2>/dev/null || true
    rm -rf "$WINEPREFIX"
    "$BUILD/wine-run.sh" cmd /c rem >/dev/null
    cp /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
    "$BUILD/wine-run.sh" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD \
        /d "$1" /f >/dev/null
    /usr/lib/wine/wineserver -w
}

check() {
    spread=$(convert "$1" -colorspace Gray -format '%[fx:standard_deviation]' info:)
    awk -v s="$spread" 'BEGIN { exit !(s > 0.01) }' || { echo "$1 looks blank"; exit 1; }
    echo "wrote $1 ($(identify -format '%wx%h' "$1"))"
}

new_prefix 96
DEMO="$OUT/screenshot-windows-demo.png"
WINEQT_QPA_PLATFORM=windows "$BUILD/wine-run.sh" explorer /desktop=Tavrix,$SIZE \
    "Z:$BUILD/tavrix-demo.exe" >"$BUILD/screenshot.log" 2>&1 &
# The first start makes the prefix (several seconds); then the demo bike
# logs in and the table fills.
sleep "${SHOT_DELAY:-25}"
import -window root -crop "$SIZE+0+0" +repage "$DEMO"
/usr/lib/wine/wineserver -k 2>/dev/null || true
wait || true
check "$DEMO"

new_prefix 144
SCALED=screenshot-150-windows.png
rm -f "$OUT/$SCALED"
WINEQT_QPA_PLATFORM=windows "$BUILD/wine-run.sh" explorer /desktop=Tavrix,1900x1000 \
    "Z:$BUILD/tools/screenshots/tavrix-screenshots.exe" "Z:$OUT" --scaled "$SCALED" \
    >"$BUILD/screenshot-150.log" 2>&1 || true
/usr/lib/wine/wineserver -k 2>/dev/null || true
tr -d '\r' <"$BUILD/screenshot-150.log" | grep -q 'at scale 1.5$' || { tail -n 20 "$BUILD/screenshot-150.log"; exit 1; }
check "$OUT/$SCALED"
