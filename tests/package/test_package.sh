#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package, checks what it holds and what it depends on,
# installs it on this machine and runs the installed program without a cable.
# Usage: test_package.sh BUILD_DIR
set -eu
BUILD_DIR=$1
DATA_DIR=$(cd "$(dirname "$0")/../data" && pwd)
WORK=$(mktemp -d)
WAS_INSTALLED=no
dpkg-query -W -f='${Status}' tavrix 2>/dev/null | grep -q "install ok installed" && WAS_INSTALLED=yes
cleanup() {
    rm -rf "$WORK"
    if [ "$WAS_INSTALLED" = no ] && [ "${INSTALLED:-no}" = yes ]; then
        $SUDO apt-get purge -y -qq -o DPkg::Lock::Timeout=120 tavrix >/dev/null 2>&1 || true
    fi
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; exit 1; }

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
    sudo -n true 2>/dev/null || { echo "SKIP: installing needs root or sudo"; exit 77; }
    SUDO="sudo -n"
fi

cpack -G DEB --config "$BUILD_DIR/CPackConfig.cmake" -B "$WORK" >"$WORK/cpack.log" 2>&1 \
    || { cat "$WORK/cpack.log"; fail "cpack"; }
DEB=$(ls "$WORK"/tavrix_*_*.deb)
echo "package: $(basename "$DEB")"

FILES=$(dpkg-deb -c "$DEB" | awk '{print $6}')
for f in ./usr/bin/tavrix ./usr/bin/tavrix-record ./usr/bin/tavrix-trace \
         ./usr/share/applications/tavrix.desktop \
         ./usr/share/icons/hicolor/64x64/apps/tavrix.png \
         ./usr/share/icons/hicolor/256x256/apps/tavrix.png \
         ./usr/lib/udev/rules.d/70-tavrix-kline.rules \
         ./usr/share/doc/tavrix/copyright; do
    echo "$FILES" | grep -qx "$f" || fail "package lacks $f"
done
# The mechanic's three programs and nothing else: the demo, the replayer and
# the other developer tools stay out.
PROGRAMS=$(echo "$FILES" | grep '^\./usr/bin/.' | sort | tr '\n' ' ')
[ "$PROGRAMS" = "./usr/bin/tavrix ./usr/bin/tavrix-record ./usr/bin/tavrix-trace " ] \
    || fail "programs in the package: $PROGRAMS"
echo "$FILES" | grep -q "^\./usr/local" && fail "nothing belongs under /usr/local"

[ "$(dpkg-deb -f "$DEB" Package)" = tavrix ] || fail "package name"
dpkg-deb -f "$DEB" Version | grep -qE '^[0-9]+\.[0-9]+\.[0-9]+' || fail "version"
MAINTAINER=$(dpkg-deb -f "$DEB" Maintainer)
echo "maintainer: $MAINTAINER"
echo "$MAINTAINER" | grep -qE '^[^<>]+ <[^<>@ ]+@[^<>@ ]+>$' || fail "maintainer"
# The project's own name and a role address of the project: no person, no
# placeholder host.
echo "$MAINTAINER" | grep -qE '^Tavrix [^<>]+ <' || fail "maintainer is not the project"
echo "$MAINTAINER" | grep -qiE '@([^>]*\.)?(localhost|localdomain|local|invalid|example|test)>|@example\.' \
    && fail "maintainer address is a placeholder"
[ "$(dpkg-deb -f "$DEB" Architecture)" = "$(dpkg --print-architecture)" ] || fail "architecture"
dpkg-deb -f "$DEB" Section | grep -qx electronics || fail "section"
# Description: a synopsis under 80 characters, then an extended text.
SYNOPSIS=$(dpkg-deb -f "$DEB" Description | head -n 1)
[ -n "$SYNOPSIS" ] && [ ${#SYNOPSIS} -lt 80 ] || fail "description synopsis '$SYNOPSIS'"
[ "$(dpkg-deb -f "$DEB" Description | wc -l)" -ge 2 ] || fail "no extended description"
DEPENDS=$(dpkg-deb -f "$DEB" Depends)
echo "depends: $DEPENDS"
# Debian 13 renamed Qt's core library in the 64-bit time_t transition.
for d in libftdi1-2 libqt5widgets5 'libqt5core5(a|t64)' libqt5charts5 libqt5printsupport5 libc6; do
    echo "$DEPENDS" | grep -qE "$d" || fail "Depends lacks $d"
done
dpkg-deb -e "$DEB" "$WORK/control"
grep -q "udevadm control --reload-rules" "$WORK/control/postinst" || fail "postinst reload"

RULE=$(dpkg-deb --fsys-tarfile "$DEB" | tar -xO ./usr/lib/udev/rules.d/70-tavrix-kline.rules)
echo "$RULE" | grep -q 'ATTRS{idVendor}=="0433"' || fail "rule vendor"
echo "$RULE" | grep -q 'ATTRS{idProduct}=="6066"' || fail "rule product"
echo "$RULE" | grep -q 'TAG+="uaccess"' || fail "rule uaccess"
echo "$RULE" | grep -q 'MODE' && fail "rule must not set a mode"

# The licence terms, machine-readable (Debian copyright-format 1.0).
dpkg-deb -c "$DEB" | grep -qE '^-rw-r--r-- .* \./usr/share/doc/tavrix/copyright$' || fail "copyright mode"
COPYRIGHT=$(dpkg-deb --fsys-tarfile "$DEB" | tar -xO ./usr/share/doc/tavrix/copyright)
[ "$(echo "$COPYRIGHT" | head -n 1)" = "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/" ] \
    || fail "copyright is not machine-readable"
echo "$COPYRIGHT" | grep -qx 'Files: \*' || fail "copyright: no Files: *"
echo "$COPYRIGHT" | grep -qx 'License: GPL-3.0-or-later' || fail "copyright: no License: GPL-3.0-or-later"
echo "$COPYRIGHT" | grep -q '/usr/share/common-licenses/GPL-3' || fail "copyright: no pointer to the licence text"

DESKTOP=$(dpkg-deb --fsys-tarfile "$DEB" | tar -xO ./usr/share/applications/tavrix.desktop)
echo "$DESKTOP" | grep -qx 'Categories=Utility;' || fail "desktop categories"
echo "$DESKTOP" | grep -qx 'Exec=tavrix' || fail "desktop exec"

DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --allow-downgrades -o DPkg::Lock::Timeout=120 "$DEB" \
    >"$WORK/apt.log" 2>&1 || { cat "$WORK/apt.log"; fail "apt-get install"; }
INSTALLED=yes
[ -x /usr/bin/tavrix ] || fail "/usr/bin/tavrix missing after install"
[ -f /usr/share/doc/tavrix/copyright ] || fail "copyright missing after install"

# The installed trace reader reads a recording as the build's one does.
/usr/bin/tavrix-trace "$DATA_DIR/auto.ktrace" >"$WORK/trace.txt" 2>&1 || { cat "$WORK/trace.txt"; fail "tavrix-trace"; }
cmp -s "$WORK/trace.txt" "$DATA_DIR/auto.txt" || fail "tavrix-trace reads auto.ktrace differently"

# No cable on this machine: the program must say so and keep trying.
QT_QPA_PLATFORM=offscreen timeout 8 /usr/bin/tavrix >"$WORK/run.log" 2>&1 || true
cat "$WORK/run.log"
grep -q "unable to open device" "$WORK/run.log" || fail "no 'unable to open device'"
grep -q "Not Connect." "$WORK/run.log" || fail "no 'Not Connect.'"
[ "$(grep -c 'Not Connect.' "$WORK/run.log")" -ge 2 ] || fail "no retry within 8 s"
echo "package test passed"
