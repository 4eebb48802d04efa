#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the Debian packages the build and the tests need, if missing.
# dpkg-dev and file: CPack computes the package's dependencies with them.
# clang 19 and clang-format-19: the fuzz build, make format, make format-check; both
# Debian 12 (bookworm) and Debian 13 (trixie) carry version 19.
# lld: links the seventy-odd programs of a build several times faster than
# ld.bfd (Debian's default LLVM's, whichever version: it is only the linker).
# libqt5charts5-dev: the chart window. poppler-utils: the report's test reads
# the PDF back with pdftotext.
set -e
PACKAGES="cmake make g++ pkg-config dpkg-dev file qtbase5-dev qtbase5-private-dev qtbase5-dev-tools libqt5charts5-dev libftdi1-dev xvfb xauth poppler-utils umockdev libumockdev-dev clang-19 libclang-rt-19-dev clang-format-19 lld"
missing=""
for p in $PACKAGES; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO=sudo
echo "Installing:$missing"
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq $missing
