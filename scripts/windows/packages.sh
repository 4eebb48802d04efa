#!/bin/sh
# Installs the Debian packages named, if missing (root, else sudo).
# Usage: packages.sh PACKAGE...
set -eu
. "$(dirname "$0")/common.sh"
apt_install "$@"
