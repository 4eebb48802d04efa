#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the Debian packages named, if missing (root, else sudo).
# Usage: packages.sh PACKAGE...
set -eu
. "$(dirname "$0")/common.sh"
apt_install "$@"
