#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# make test: the layout check, then the plain, sanitizer and fuzz builds one
# after another, each build's suites running while the next one compiles.
# Most suites wait on timers, the line or the emulated adapter and leave the
# cores to the compiler; run one after the other, the two would leave each
# other's time idle. Each run's output is kept in its build folder and shown
# whole when the run ends.
# Usage: test-all.sh BUILD BUILD_ASAN BUILD_FUZZ FUZZ_SECONDS
set -u
build=$1
build_asan=$2
build_fuzz=$3
fuzz_seconds=$4
make=${MAKE:-make}
failed=""

# Starts ctest in `dir` in the background; its log is dir/ctest.log.
start_suites() {
    (cd "$1" && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2 >ctest.log 2>&1)
}

# Waits for the suites of `dir` (process `pid`) and shows what they printed.
finish_suites() {
    if wait "$2"; then
        tail -n 4 "$1/ctest.log"
    else
        cat "$1/ctest.log"
        failed="$failed suites-in-$1"
    fi
}

"$make" --no-print-directory format-check || failed="$failed format-check"
"$make" --no-print-directory build || exit 1
echo "--- the plain build's suites run (log: $build/ctest.log), the sanitizer build compiles ---"
start_suites "$build" &
plain=$!
"$make" --no-print-directory build-asan || { wait "$plain"; cat "$build/ctest.log"; exit 1; }
finish_suites "$build" "$plain"
echo "--- the sanitizer build's suites run (log: $build_asan/ctest.log), the fuzz build compiles ---"
start_suites "$build_asan" &
asan=$!
"$make" --no-print-directory build-fuzz || { wait "$asan"; cat "$build_asan/ctest.log"; exit 1; }
sh scripts/fuzz-smoke.sh "$build_fuzz/fuzz" "$fuzz_seconds" || failed="$failed fuzz"
finish_suites "$build_asan" "$asan"

if [ -n "$failed" ]; then
    echo "make test FAILED:$failed"
    exit 1
fi
echo "make test: all passed"
