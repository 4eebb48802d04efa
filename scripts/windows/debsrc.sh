#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Makes `apt-get source` work: adds a deb-src entry beside each Debian deb
# entry (same URIs, suites and components) when there is none yet.
set -eu
. "$(dirname "$0")/common.sh"

has_sources() {
    apt-cache showsrc libusb-1.0 2>/dev/null | grep -q '^Package:'
}
has_sources && exit 0
$SUDO apt-get update -qq
has_sources && exit 0

LIST=/etc/apt/sources.list.d/tavrix-deb-src
for f in /etc/apt/sources.list.d/*.sources; do
    [ -e "$f" ] || continue
    # deb822 stanzas: copy those of Debian's archives with Types: deb-src.
    awk 'BEGIN { RS = ""; ORS = "\n\n" }
         /URIs:[^\n]*debian/ && /Types:[^\n]*deb/ && !/Types:[^\n]*deb-src/ {
             sub(/Types:[^\n]*/, "Types: deb-src"); print }' "$f"
done | $SUDO tee "$LIST.sources" >/dev/null
for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [ -e "$f" ] || continue
    grep -E '^deb[[:space:]][^#]*debian' "$f" | sed 's/^deb[[:space:]]/deb-src /' || true
done | $SUDO tee "$LIST.list" >/dev/null
[ -s "$LIST.sources" ] || $SUDO rm -f "$LIST.sources"
[ -s "$LIST.list" ] || $SUDO rm -f "$LIST.list"
echo "Added deb-src entries ($LIST.*)"
$SUDO apt-get update -qq
has_sources || die "apt-get source still finds no sources: add a deb-src entry by hand"
