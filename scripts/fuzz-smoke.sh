#!/bin/sh
# Runs every fuzz target for a few seconds on its corpus (fuzz/corpus/).
# Usage: fuzz-smoke.sh BUILD_DIR/fuzz SECONDS. A crash fails the run; its
# input is left in the scratch folder printed below.
set -e
bin=$1
seconds=${2:-6}
root=$(cd "$(dirname "$0")/.." && pwd)
scratch=$(mktemp -d "${TMPDIR:-/tmp}/tavrix-fuzz.XXXXXX")
export QT_QPA_PLATFORM=offscreen
# Leaks are the leak check's business (tests/leakcheck); here only crashes.
export ASAN_OPTIONS=detect_leaks=0
passed=0
failed=0
for target in fuzz_auto fuzz_kwp fuzz_traceparser; do
    mkdir -p "$scratch/$target"
    cp "$root/fuzz/corpus/$target"/* "$scratch/$target/"
    if "$bin/$target" -max_total_time="$seconds" -max_len=256 -detect_leaks=0 \
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
