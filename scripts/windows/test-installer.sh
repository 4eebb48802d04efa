#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# The Windows installer as a mechanic meets it, under Wine in a fresh prefix:
# a silent install into Program Files with its Start-menu entries and its
# Apps & features key; the installed tavrix.exe started with no cable says
# so and tries again every 3 s, with only the DLLs and the platform plugin
# installed beside it (on a virtual X display); the installed tavrix-trace
# reads a recording; a silent uninstall leaves nothing.
# Usage: test-installer.sh BUILD_DIR
set -eu
# One virtual X display for the whole run: Wine's desktop process, started
# by the first program, serves every later one.
[ -n "${TAVRIX_IN_XVFB:-}" ] || exec env TAVRIX_IN_XVFB=1 xvfb-run -a sh "$0" "$@"
BUILD=$(cd "$1" && pwd)
DATA=$(cd "$(dirname "$0")/../../tests/data" && pwd)
SETUP=$(ls "$BUILD"/tavrix-*-setup.exe)
WINE=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver
export WINEPREFIX="$BUILD/wineprefix-installer"
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEDEBUG=-all
unset WINEPATH
LOG="$BUILD/installer-test"
KEY='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tavrix'
APP="$WINEPREFIX/drive_c/Program Files/Tavrix"
MENU="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs"
fail() { echo "FAIL: $*"; exit 1; }

# Wine's helper processes keep inherited outputs open: every run writes to a file.
wine() { "$WINE" "$@" </dev/null >>"$LOG/wine.log" 2>&1; }
regkey() { "$WINE" reg query "$KEY" /reg:64 </dev/null; }

$WINESERVER -k 2>/dev/null || true
rm -rf "$WINEPREFIX" "$LOG"
mkdir -p "$LOG"
wine wineboot -i
echo "installer: $(basename "$SETUP")"

wine "$SETUP" /S || fail "setup.exe /S exited $?"
$WINESERVER -w
for f in tavrix.exe tavrix-demo.exe tavrix-record.exe tavrix-trace.exe Uninstall.exe \
         Qt5Core.dll Qt5Gui.dll Qt5Widgets.dll Qt5Charts.dll Qt5PrintSupport.dll \
         platforms/qwindows.dll styles/qwindowsvistastyle.dll printsupport/windowsprintersupport.dll \
         libftdi1.dll libusb-1.0.dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll \
         THIRD-PARTY-NOTICES.txt licenses/LGPL-2.1.txt licenses/LGPL-3.txt licenses/GPL-3.txt; do
    [ -f "$APP/$f" ] || fail "not installed: Program Files/Tavrix/$f"
done
for lnk in "Tavrix Motorcycle Diagnostics.lnk" "Tavrix Demo (simulated bike).lnk"; do
    [ -f "$MENU/$lnk" ] || fail "no Start-menu entry $lnk"
done
regkey >"$LOG/key.txt" 2>&1 || fail "no uninstall key $KEY"
for value in "DisplayName.*Tavrix Motorcycle Diagnostics" "UninstallString.*Uninstall.exe" \
             "DisplayIcon.*tavrix.exe" "DisplayVersion"; do
    grep -q "$value" "$LOG/key.txt" || fail "uninstall key lacks $value"
done
echo "installed: $(find "$APP" -type f | wc -l) files, Start-menu entries, uninstall key"

# The trace reader as installed reads a recording as the build's one does.
"$WINE" "$APP/tavrix-trace.exe" 'Z:'"$DATA/auto.ktrace" </dev/null >"$LOG/trace.txt" 2>"$LOG/trace.err" \
    || fail "tavrix-trace: $(cat "$LOG/trace.err")"
tr -d '\r' <"$LOG/trace.txt" | cmp -s - "$DATA/auto.txt" || fail "tavrix-trace reads auto.ktrace differently"

# No cable here: the program says so and keeps trying, every 3 s. It runs on
# a virtual X display with the platform plugin it was installed with.
WINEQT_FORCE_STDERR_LOGGING=1 WINEQT_MESSAGE_PATTERN='%{time process} %{message}' \
    timeout 12 "$WINE" "$APP/tavrix.exe" </dev/null >"$LOG/run.log" 2>&1 || true
$WINESERVER -k 2>/dev/null || true
tr -d '\r' <"$LOG/run.log" >"$LOG/run.txt"
cat "$LOG/run.txt"
grep -q "unable to open device" "$LOG/run.txt" || fail "no 'unable to open device'"
grep -q "ftdi_usb_open: -3 (device not found)" "$LOG/run.txt" || fail "no libftdi reason for the failed open"
grep -q "Not Connect\.$" "$LOG/run.txt" || fail "no 'Not Connect.'"
awk '/ unable to open device$/ { if (n++) { gap = $1 - last; if (gap < 2.5 || gap > 4.5) bad = 1; ok = 1 } last = $1 }
     END { exit !(ok && !bad) }' "$LOG/run.txt" || fail "no retry about 3 s after a failed open"

wine "$APP/Uninstall.exe" /S || fail "Uninstall.exe /S exited $?"
$WINESERVER -w
[ -e "$APP" ] && fail "left behind: $(find "$APP" | head -n 5 | tr '\n' ' ')"
for lnk in "Tavrix Motorcycle Diagnostics.lnk" "Tavrix Demo (simulated bike).lnk"; do
    [ -e "$MENU/$lnk" ] && fail "Start-menu entry left: $lnk"
done
regkey >"$LOG/key-after.txt" 2>&1 && fail "uninstall key left behind"
$WINESERVER -k 2>/dev/null || true
echo "installer test passed"
