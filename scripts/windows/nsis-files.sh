#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# The installer's file lists from the installed tree STAGE: OUT/files.nsh
# (SetOutPath and File for each folder) and OUT/unfiles.nsh (Delete each
# file, then RMDir each folder, deepest first), OUT/size.nsh (its size in KiB).
# Usage: nsis-files.sh STAGE OUT
set -eu
STAGE=$(cd "$1" && pwd)
OUT=$2
mkdir -p "$OUT"
cd "$STAGE"
line() { printf '%s\n' "$1"; }   # echo would read \t in a path as a tab
win() { printf '%s' "$1" | sed 's|^\./||; s|^\.$||; s|/|\\|g'; }

find . -type d | sort | while IFS= read -r dir; do
    sub=$(win "$dir")
    line "SetOutPath \"\$INSTDIR${sub:+\\$sub}\""
    find "$dir" -mindepth 1 -maxdepth 1 -type f | sort | while IFS= read -r f; do
        line "File \"$STAGE/${f#./}\""
    done
done >"$OUT/files.nsh"

{
    find . -type f | sort | while IFS= read -r f; do
        line "Delete \"\$INSTDIR\\$(win "$f")\""
    done
    find . -mindepth 1 -type d | sort -r | while IFS= read -r dir; do
        line "RMDir \"\$INSTDIR\\$(win "$dir")\""
    done
} >"$OUT/unfiles.nsh"
echo "!define SIZE_KB $(du -sk . | cut -f1)" >"$OUT/size.nsh"
