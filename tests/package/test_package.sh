#!/bin/sh
# Builds the Debian package, checks what it holds and what it depends on,
# installs it on this machine and runs the installed program without a cable.
# Usage: test_package.sh BUILD_DIR
set -eu
BUILD_DIR=$1
WORK=$(mktemp -d)
WAS_INSTALLED=no
dpkg-query -W -f='${Status}' tavrix 2>/dev/null | grep -q "install ok installed" && WAS_INSTALLED=yes
cleanup() {
    rm -rf "$WORK"
    if [ "$WAS_INSTALLED" = no ] && [ "${INSTALLED:-no}" = yes ]; then
        $SUDO apt-get remove -y -qq tavrix >/dev/null 2>&1 || true
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
for f in ./usr/bin/tavrix ./usr/share/applications/tavrix.desktop \
         ./usr/share/icons/hicolor/64x64/apps/tavrix.png \
         ./usr/lib/udev/rules.d/70-tavrix-kline.rules; do
    echo "$FILES" | grep -qx "$f" || fail "package lacks $f"
done
echo "$FILES" | grep -q "tavrix-demo" && fail "the demo must not be packaged"

[ "$(dpkg-deb -f "$DEB" Package)" = tavrix ] || fail "package name"
dpkg-deb -f "$DEB" Version | grep -qE '^[0-9]+\.[0-9]+\.[0-9]+' || fail "version"
dpkg-deb -f "$DEB" Maintainer | grep -q '@' || fail "maintainer"
DEPENDS=$(dpkg-deb -f "$DEB" Depends)
echo "depends: $DEPENDS"
for d in libftdi1-2 libqt5widgets5 libqt5core5a libc6; do
    echo "$DEPENDS" | grep -q "$d" || fail "Depends lacks $d"
done
dpkg-deb -e "$DEB" "$WORK/control"
grep -q "udevadm control --reload-rules" "$WORK/control/postinst" || fail "postinst reload"

RULE=$(dpkg-deb --fsys-tarfile "$DEB" | tar -xO ./usr/lib/udev/rules.d/70-tavrix-kline.rules)
echo "$RULE" | grep -q 'ATTRS{idVendor}=="0433"' || fail "rule vendor"
echo "$RULE" | grep -q 'ATTRS{idProduct}=="6066"' || fail "rule product"
echo "$RULE" | grep -q 'TAG+="uaccess"' || fail "rule uaccess"
echo "$RULE" | grep -q 'MODE' && fail "rule must not set a mode"

DESKTOP=$(dpkg-deb --fsys-tarfile "$DEB" | tar -xO ./usr/share/applications/tavrix.desktop)
echo "$DESKTOP" | grep -qx 'Categories=Utility;' || fail "desktop categories"
echo "$DESKTOP" | grep -qx 'Exec=tavrix' || fail "desktop exec"

DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --allow-downgrades "$DEB" \
    >"$WORK/apt.log" 2>&1 || { cat "$WORK/apt.log"; fail "apt-get install"; }
INSTALLED=yes
[ -x /usr/bin/tavrix ] || fail "/usr/bin/tavrix missing after install"

# No cable on this machine: the program must say so and keep trying.
QT_QPA_PLATFORM=offscreen timeout 8 /usr/bin/tavrix >"$WORK/run.log" 2>&1 || true
cat "$WORK/run.log"
grep -q "unable to open device" "$WORK/run.log" || fail "no 'unable to open device'"
grep -q "Not Connect." "$WORK/run.log" || fail "no 'Not Connect.'"
[ "$(grep -c 'Not Connect.' "$WORK/run.log")" -ge 2 ] || fail "no retry within 8 s"
echo "package test passed"
