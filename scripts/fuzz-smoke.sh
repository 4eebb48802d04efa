#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs every fuzz target for a few seconds on its corpus (fuzz/corpus/).
# Usage: fuzz-smoke.sh BUILD_DIR/fuzz SECONDS. A crash fails the run; its
# input is left in the scratch folder printed below.
set -e
bin=$1
seconds=${2:-6}
root=$(cd "$(dirname "$0")/.." && pwd)
scratch=$(mktemp -d "${TMPDIR:-/tmp}/tavrix-fuzz.XXXXXX")
# Each target is run bare, as OSS-Fuzz runs it: its own leak check on, no
# options from outside but the corpus and the time (a target sets the
# offscreen platform itself and names Qt's one-time allocations to LSan).
passed=0
failed=0
for target in fuzz_auto fuzz_kwp fuzz_traceparser; do
    mkdir -p "$scratch/$target"
    cp "$root/fuzz/corpus/$target"/* "$scratch/$target/"
    if "$bin/$target" -max_total_time="$seconds" -max_len=256 \
           -artifact_prefix="$scratch/$target-" "$scratch/$target" \
           > "$scratch/$target.log" 2>&1; then
        echo "$target: $(grep -o 'Done [0-9]* runs' "$scratch/$target.log" | tail -1)"
        passed=$((passed + 1))
    else
        echo "$target: FAILED, see $scratch/$target.log"
        tail -40 "$scratch/$target.log"
        failed=$((failed + 1))
    fi
done
echo "fuzz: $passed passed, $failed failed"
[ "$failed" -eq 0 ] && rm -rf "$scratch"
[ "$failed" -eq 0 ]
