#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# The Windows installer as a mechanic meets it, under Wine in a fresh prefix:
# an older version installed first (with a file the new one no longer has),
# then this one silently over it: the older one is gone without leftovers,
# the files, Start-menu entries and Apps & features key are this version's.
# The installed tavrix.exe with no cable says so and why, and tries again
# every 3 s, with only the DLLs, qt.conf and the platform plugin installed
# beside it (on a virtual X display); tavrix-log.exe shows the same log on
# its console, through its pump on a console of its own, where Ctrl+C does
# not end it and which it keeps until an Enter pressed after the run; a second start of tavrix.exe hands over to the first and
# exits; while it runs, the installer and the uninstaller refuse to touch
# it; killed, it leaves nothing that blocks the next start. The installed
# tavrix-trace reads a recording; a silent uninstall leaves nothing.
# Usage: test-installer.sh BUILD_DIR
set -eu
# One virtual X display for the whole run: Wine's desktop process, started
# by the first program, serves every later one.
[ -n "${TAVRIX_IN_XVFB:-}" ] || exec env TAVRIX_IN_XVFB=1 xvfb-run -a sh "$0" "$@"
BUILD=$(cd "$1" && pwd)
SRC=$(cd "$(dirname "$0")/../.." && pwd)
DATA="$SRC/tests/data"
SETUP=$(ls "$BUILD"/tavrix-*-setup.exe)
STAGE="$BUILD/installer/stage"
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
ENTRIES="Tavrix Motorcycle Diagnostics.lnk:Tavrix (dengan log).lnk:Tavrix Demo (simulated bike).lnk:Tavrix Rekam (ke Dokumen).lnk:Panduan kabel.lnk"
fail() { echo "FAIL: $*"; exit 1; }

# Wine's helper processes keep inherited outputs open: every run writes to a file.
wine() { "$WINE" "$@" </dev/null >>"$LOG/wine.log" 2>&1; }
regkey() { "$WINE" reg query "$KEY" /reg:64 </dev/null; }
# A program's Qt log on standard error, with the time since it started.
logged() { WINEQT_FORCE_STDERR_LOGGING=1 WINEQT_MESSAGE_PATTERN='%{time process} %{message}' "$@"; }
each_entry() {
    echo "$ENTRIES" | tr ':' '\n' | while IFS= read -r lnk; do "$@" "$lnk"; done
}
lines() { tr -d '\r' <"$1"; }

$WINESERVER -k 2>/dev/null || true
rm -rf "$WINEPREFIX" "$LOG"
mkdir -p "$LOG"
wine wineboot -i
echo "installer: $(basename "$SETUP")"

# --- an older version first: 2.9.0, with a DLL and a note this one lacks ---
OLD="$LOG/old"
cp -r "$STAGE" "$OLD-stage"
rm "$OLD-stage/tavrix-log.exe"
echo "only in 2.9.0" >"$OLD-stage/stale-notes.txt"
cp "$OLD-stage/libftdi1.dll" "$OLD-stage/libstale.dll"
sh "$SRC/scripts/windows/nsis-files.sh" "$OLD-stage" "$OLD"
makensis -V1 -DVERSION=2.9.0 -DLISTS="$OLD" -DICON="$BUILD/tavrix.ico" \
    -DOUTFILE="$LOG/tavrix-2.9.0-setup.exe" "$SRC/packaging/windows/tavrix.nsi"
wine "$LOG/tavrix-2.9.0-setup.exe" /S || fail "2.9.0 setup.exe /S exited $?"
$WINESERVER -w
[ -f "$APP/libstale.dll" ] || fail "the older version did not install"
regkey >"$LOG/key-old.txt" 2>&1
grep -q "DisplayVersion.*2\.9\.0" "$LOG/key-old.txt" || fail "no 2.9.0 in the uninstall key"

# --- this version over it ---
wine "$SETUP" /S || fail "setup.exe /S exited $?"
$WINESERVER -w
for f in tavrix.exe tavrix-log.exe tavrix-demo.exe tavrix-record.exe tavrix-trace.exe Uninstall.exe \
         Qt5Core.dll Qt5Gui.dll Qt5Widgets.dll Qt5Charts.dll Qt5PrintSupport.dll qt.conf \
         platforms/qwindows.dll styles/qwindowsvistastyle.dll printsupport/windowsprintersupport.dll \
         libftdi1.dll libusb-1.0.dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll \
         panduan-kabel.html THIRD-PARTY-NOTICES.txt licenses/LGPL-2.1.txt licenses/LGPL-3.txt licenses/GPL-3.txt; do
    [ -f "$APP/$f" ] || fail "not installed: Program Files/Tavrix/$f"
done
for f in libstale.dll stale-notes.txt; do
    [ -e "$APP/$f" ] && fail "the older version left $f behind"
done
# Exactly the staged tree: nothing more, nothing less.
(cd "$STAGE" && find . -type f | sort) >"$LOG/staged.txt"
(cd "$APP" && find . -type f ! -name Uninstall.exe | sort) >"$LOG/installed.txt"
cmp -s "$LOG/staged.txt" "$LOG/installed.txt" || fail "installed files differ: $(diff "$LOG/staged.txt" "$LOG/installed.txt" | head -n 5 | tr '\n' ' ')"
grep -q 'Panduan kabel' "$APP/panduan-kabel.html" && grep -q 'Zadig' "$APP/panduan-kabel.html" \
    || fail "panduan-kabel.html is not the cable guide"
check_entry() { [ -f "$MENU/$1" ] || fail "no Start-menu entry $1"; }
each_entry check_entry
regkey >"$LOG/key.txt" 2>&1 || fail "no uninstall key $KEY"
for value in "DisplayName.*Tavrix Motorcycle Diagnostics" "UninstallString.*Uninstall.exe" \
             "DisplayIcon.*tavrix.exe" "DisplayVersion.*3\.0\.0"; do
    grep -q "$value" "$LOG/key.txt" || fail "uninstall key lacks $value"
done
echo "installed over 2.9.0: $(find "$APP" -type f | wc -l) files, no leftovers, Start-menu entries, uninstall key"

# The trace reader as installed reads a recording as the build's one does.
"$WINE" "$APP/tavrix-trace.exe" 'Z:'"$DATA/auto.ktrace" </dev/null >"$LOG/trace.txt" 2>"$LOG/trace.err" \
    || fail "tavrix-trace: $(cat "$LOG/trace.err")"
lines "$LOG/trace.txt" | cmp -s - "$DATA/auto.txt" || fail "tavrix-trace reads auto.ktrace differently"

# No cable here: the program says so, and why, and keeps trying every 3 s.
# It runs on a virtual X display with the platform plugin it was installed with.
logged timeout 12 "$WINE" "$APP/tavrix.exe" </dev/null >"$LOG/run.log" 2>&1 || true
$WINESERVER -k 2>/dev/null || true
lines "$LOG/run.log" >"$LOG/run.txt"
cat "$LOG/run.txt"
grep -q "unable to open device" "$LOG/run.txt" || fail "no 'unable to open device'"
grep -q "ftdi_usb_open: -3 (device not found)" "$LOG/run.txt" || fail "no libftdi reason for the failed open"
grep -q "Not Connect\.$" "$LOG/run.txt" || fail "no 'Not Connect.'"
grep -q "cable: no device 0433:6066 present; hint: Kabel 0433:6066 tidak terdeteksi" "$LOG/run.txt" \
    || fail "no reason for the failed open from SetupAPI"
awk '/ unable to open device$/ { if (n++) { gap = $1 - last; if (gap < 2.5 || gap > 4.5) bad = 1; ok = 1 } last = $1 }
     END { exit !(ok && !bad) }' "$LOG/run.txt" || fail "no retry about 3 s after a failed open"

# tavrix-log.exe: the same, its log on its console by itself.
timeout 10 "$WINE" "$APP/tavrix-log.exe" </dev/null >"$LOG/log-run.log" 2>&1 || true
$WINESERVER -k 2>/dev/null || true
lines "$LOG/log-run.log" >"$LOG/log-run.txt"
for line in "unable to open device" "Not Connect." "cable: no device 0433:6066 present"; do
    grep -q "^$line" "$LOG/log-run.txt" || fail "tavrix-log.exe did not show '$line' on its console"
done
echo "tavrix-log.exe: the log on its console"

# tavrix-log.exe on a console of its own (Wine's, on a terminal): the log
# comes through its pump; Ctrl+C (the copy key) does not end it; closed,
# the program waits for Enter, and an Enter pressed during the run does not
# count.
PTY="$LOG/log-console.txt"
STEPS="$LOG/log-console-steps.txt"
step() { echo "$(date +%s) $*" >>"$STEPS"; }
rm -f "$STEPS"
# Every wait below runs to a deadline, not a count: a loaded machine under
# Wine can take tens of seconds to start the console, close the window or
# run taskkill, and a count of tries ran out there before the program did.
# script runs its command with $SHELL, or with sh when none is set (as on
# CI). The Ctrl+C reaches that shell as well as Wine, and dash, unlike bash,
# dies of it at once and never prints EXITED: hence the trap, which a POSIX
# shell runs only once the program has ended, and which exec resets so that
# Wine still gets the Ctrl+C.
{
    step started
    # Ctrl+C only once the program runs its log (its handler is in place).
    until=$(($(date +%s) + 90))
    while ! grep -aq "Not Connect\." "$PTY" 2>/dev/null && [ "$(date +%s)" -lt "$until" ]; do
        sleep 1
    done
    step "log running (or gave up waiting)"
    sleep 2
    printf '\003' # Ctrl+C: Wine's console sends CTRL_C_EVENT
    step "Ctrl+C pressed"
    sleep 1
    printf '\r' # pressed during the run
    step "Enter pressed during the run"
    # Ask the window to close until the console says it is gone, and only
    # then press the Enter that counts (one pressed earlier is thrown away,
    # as it should be).
    until=$(($(date +%s) + 120))
    next=0
    while ! grep -aq "Jendela" "$PTY" 2>/dev/null && [ "$(date +%s)" -lt "$until" ]; do
        if [ "$(date +%s)" -ge "$next" ]; then
            step "taskkill asks the window to close"
            "$WINE" taskkill /im tavrix-log.exe >>"$LOG/wine.log" 2>&1 || true
            next=$(($(date +%s) + 5))
        fi
        sleep 1
    done
    step "closing words seen (or gave up waiting)"
    sleep 2
    date +%s >"$LOG/enter-at"
    until=$(($(date +%s) + 60))
    # (The typescript's header quotes the command: match the time, not the word.)
    while ! grep -aq "EXITED at [0-9]" "$PTY" 2>/dev/null && [ "$(date +%s)" -lt "$until" ]; do
        printf '\r'
        step "Enter pressed after the run"
        sleep 3
    done
    step "done"
} | timeout 300 script -qfc "trap : INT; cd '$APP' && '$WINE' tavrix-log.exe; echo EXITED at \$(date +%s)" "$PTY" \
    >/dev/null 2>&1 || true
$WINESERVER -k 2>/dev/null || true
steps() { echo "$1; its steps (seconds since 1970):"; cat "$STEPS"; exit 1; }
grep -aq "Connect\." "$PTY" || steps "FAIL: tavrix-log.exe's console showed no log"
grep -aq "Jendela" "$PTY" \
    || steps "FAIL: tavrix-log.exe did not keep its console after the window closed (or Ctrl+C ended it)"
exited=$(sed -n 's/.*EXITED at \([0-9][0-9]*\).*/\1/p' "$PTY" | tr -d '\r')
[ -n "$exited" ] || steps "FAIL: tavrix-log.exe did not end with the Enter pressed after it"
[ "$exited" -ge "$(cat "$LOG/enter-at")" ] \
    || steps "FAIL: an Enter pressed during the run closed tavrix-log.exe's console ($exited < $(cat "$LOG/enter-at"))"
echo "tavrix-log.exe on its own console: the log through its pump; Ctrl+C ignored; kept open until an Enter after the run"

# One program per cable: a second start brings the first forward and exits.
logged "$WINE" "$APP/tavrix.exe" </dev/null >"$LOG/first.log" 2>&1 &
sleep 5
logged timeout 20 "$WINE" "$APP/tavrix.exe" </dev/null >"$LOG/second.log" 2>&1 \
    || fail "the second start did not exit by itself ($?)"
grep -q "Tavrix is already running" "$LOG/second.log" || fail "the second start said nothing"
sleep 1
grep -q "second start: window brought to the front" "$LOG/first.log" \
    || fail "the first program was not asked to come forward"
echo "second start: handed over to the first and exited"

# While it runs, the installer and the uninstaller refuse, and change nothing.
# The uninstaller runs as Apps & features runs it: it copies itself away and
# returns at once, and its copy decides.
(cd "$APP" && find . -type f -exec md5sum {} + | sort) >"$LOG/sums-before.txt"
set +e
"$WINE" "$SETUP" /S </dev/null >>"$LOG/wine.log" 2>&1
setup_rc=$?
set -e
[ "$setup_rc" -eq 2 ] || fail "setup.exe /S over the running program exited $setup_rc, not 2"
wine "$APP/Uninstall.exe" /S
sleep 8
(cd "$APP" && find . -type f -exec md5sum {} + | sort) >"$LOG/sums-after.txt"
cmp -s "$LOG/sums-before.txt" "$LOG/sums-after.txt" || fail "files changed while the program ran"
regkey >"$LOG/key-running.txt" 2>&1 || fail "the uninstaller removed the uninstall key while the program ran"
check_entry() { [ -f "$MENU/$1" ] || fail "no Start-menu entry $1"; }
each_entry check_entry
echo "while tavrix.exe runs: setup refused (exit 2), uninstall refused, nothing changed"

# Killed hard, it leaves nothing behind that blocks the next start.
wine taskkill /F /IM tavrix.exe
wait || true
logged timeout 8 "$WINE" "$APP/tavrix.exe" </dev/null >"$LOG/after-kill.log" 2>&1 && \
    fail "the start after a kill ended by itself: $(lines "$LOG/after-kill.log" | tail -n 3)"
grep -q "Not Connect\." "$LOG/after-kill.log" || fail "the start after a kill did not run"
$WINESERVER -k 2>/dev/null || true
echo "after a kill: the next start runs"

wine "$APP/Uninstall.exe" /S || fail "Uninstall.exe /S exited $?"
$WINESERVER -w
[ -e "$APP" ] && fail "left behind: $(find "$APP" | head -n 5 | tr '\n' ' ')"
check_gone() { [ -e "$MENU/$1" ] && fail "Start-menu entry left: $1"; true; }
each_entry check_gone
regkey >"$LOG/key-after.txt" 2>&1 && fail "uninstall key left behind"
$WINESERVER -k 2>/dev/null || true
echo "installer test passed"
