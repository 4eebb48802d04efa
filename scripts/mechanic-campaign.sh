#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# The random mechanic's long campaign: both families side by side, STEPS
# steps each from seed SEED. Prints every violation with the seed that
# replays it and one summary line per family; fails when anything was found.
# Usage: mechanic-campaign.sh BUILD_DIR STEPS SEED
set -u
bin=$1/tavrix-mechanic
steps=$2
seed=$3
# The link's note of each failed open (the mechanic pulls the cable often)
# is left out; everything else the programs say is shown.
quiet() { grep -v '^ftdi_usb_open: ' || true; }
export QT_QPA_PLATFORM=offscreen
( "$bin" auto --steps "$steps" --seed "$seed" 2>&1; echo "auto exit $?" ) | quiet > "$1/campaign-auto.log" &
( "$bin" kwp --steps "$steps" --seed "$seed" 2>&1; echo "kwp exit $?" ) | quiet > "$1/campaign-kwp.log"
wait
cat "$1/campaign-auto.log" "$1/campaign-kwp.log"
! grep -q -e '^auto exit [1-9]' -e '^kwp exit [1-9]' "$1/campaign-auto.log" "$1/campaign-kwp.log"
