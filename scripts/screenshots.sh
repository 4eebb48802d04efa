#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Pictures of the real program on the demo bike for the README: runs
# tavrix-screenshots under a virtual X display at 96 DPI (100 %), then once
# more scaled to 150 % for docs/screenshot-150-linux.png, turns the report's
# first page into a picture and checks that each PNG holds a picture (not
# one flat colour). Usage: screenshots.sh [BUILD_DIR]
set -eu
cd "$(dirname "$0")/.."
BUILD=${1:-build}

# The build's own packages (xvfb and xauth among them), then ImageMagick,
# which only this script uses.
sh scripts/install-deps.sh
if ! command -v identify >/dev/null 2>&1; then
    SUDO=""
    [ "$(id -u)" -ne 0 ] && SUDO=sudo
    echo "Installing: imagemagick"
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq imagemagick
fi

cmake --build "$BUILD" --target tavrix-screenshots
LOG="$BUILD/screenshots.log"
SHOTS="$BUILD/tools/screenshots/tavrix-screenshots"
# Xvfb's own default is 100 DPI, which Qt would scale the window to.
if ! { xvfb-run -a -s "-screen 0 1024x768x24 -dpi 96" "$SHOTS" docs &&
       QT_SCALE_FACTOR=1.5 xvfb-run -a -s "-screen 0 1920x1080x24 -dpi 96" \
           "$SHOTS" docs --scaled screenshot-150-linux.png; } >"$LOG" 2>&1; then
    tail -n 40 "$LOG"
    echo "screenshots failed; the whole log is in $LOG"
    exit 1
fi
grep '^wrote ' "$LOG"
# The report's first page as a picture (pdftoppm, from poppler-utils).
pdftoppm -r 80 -png -f 1 -l 1 -singlefile docs/report.pdf docs/screenshot-report
rm -f docs/report.pdf

for png in docs/screenshot-*.png; do
    spread=$(convert "$png" -colorspace Gray -format '%[fx:standard_deviation]' info:)
    size=$(identify -format '%wx%h' "$png")
    echo "$png: $size, grey spread $spread"
    awk -v s="$spread" 'BEGIN { exit !(s > 0.01) }' || { echo "$png looks blank"; exit 1; }
done
