# SPDX-License-Identifier: GPL-3.0-or-later
# Shared by the Windows build scripts (sourced, not run).
MINGW=x86_64-w64-mingw32

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO=sudo

# Installs the Debian packages named that are missing.
apt_install() {
    missing=""
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
    done
    [ -z "$missing" ] && return 0
    echo "Installing:$missing"
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq $missing
}

# Fails unless FILE has the sha256 SUM.
check_sha256() {
    echo "$2  $1" | sha256sum -c --quiet - || { echo "$1: wrong sha256 (want $2)" >&2; exit 1; }
}

die() {
    echo "$*" >&2
    exit 1
}
