#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Checks the project's own C++ sources against .clang-format with
# clang-format 19, and fails naming every file it would change.
# With --apply it formats them in place instead (make format).
# Usage: format-check.sh [--apply]
set -eu
cd "$(dirname "$0")/.."

MODE=check
case "${1:-}" in
    "") ;;
    --apply) MODE=apply ;;
    *) echo "usage: $0 [--apply]" >&2; exit 2 ;;
esac

# Another clang-format version lays the same code out differently: only 19.
CLANG_FORMAT=""
for c in clang-format-19 clang-format; do
    if command -v "$c" >/dev/null 2>&1 && "$c" --version | grep -q 'version 19\.'; then
        CLANG_FORMAT=$c
        break
    fi
done
[ -n "$CLANG_FORMAT" ] || {
    echo "clang-format 19 not found: install the Debian package clang-format-19 (make deps)" >&2
    exit 2
}

# The project's own sources; the build trees lie outside these folders and
# the fuzz corpora hold no C++.
FILES=$(find ecu auto kwp link session journal ui program sim trace tests fuzz bench tools \
             -path fuzz/corpus -prune -o -type f \( -name '*.cpp' -o -name '*.h' \) -print | LC_ALL=C sort)

if [ "$MODE" = apply ]; then
    echo "$FILES" | xargs "$CLANG_FORMAT" -i --style=file
    exit 0
fi

bad=0
for f in $FILES; do
    if ! "$CLANG_FORMAT" --dry-run -Werror --style=file "$f" >/dev/null 2>&1; then
        echo "not formatted: $f"
        bad=$((bad + 1))
    fi
done
total=$(echo "$FILES" | wc -l)
if [ "$bad" -ne 0 ]; then
    echo "$bad of $total files differ from .clang-format: run make format" \
         "(or $CLANG_FORMAT --dry-run FILE to see where)"
    exit 1
fi
echo "all $total files formatted"
