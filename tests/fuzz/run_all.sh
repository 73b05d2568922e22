#!/bin/sh
# Runs the libFuzzer targets of tests/fuzz one after another, each for the given seconds
# (default 300), at low priority, and prints each run's figures: executions, executions per
# second, corpus size, coverage (cov: edges, ft: features) and the result.
#
#   tests/fuzz/run_all.sh [seconds] [target ...]      e.g. tests/fuzz/run_all.sh 300 xls ods
#
# Builds the targets into build-fuzz (clang; another directory by FUZZ_BUILD=...). Each
# target starts from tests/fuzz/corpus/<target> and grows its corpus in
# <build>/fuzz-corpus/<target>; what it finds goes to <build>/fuzz-artifacts/<target>/.
# The workbook targets run under the helper's limits of time and memory (WorkbookFuzz.h);
# in fork mode an input over them ends one fuzzing job, as it ends the helper, and is kept
# among the artifacts (oom-*, timeout-*) without stopping the run. A crash or a failed
# check stops the target and makes the script fail.
set -eu
cd "$(dirname "$0")/../.."
seconds=${1:-300}
[ $# -gt 0 ] && shift
targets=${*:-csv design manifest netcdf ods parameters part project rainfall scs variants xls xlsx}
build=${FUZZ_BUILD:-build-fuzz}

if [ ! -f "$build/build.ninja" ]; then
    CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DMORAVEL_FUZZ=ON -DMORAVEL_BENCH=OFF >/dev/null
fi
set --
for t in $targets; do
    set -- "$@" "fuzz_$t"
done
nice -n 10 cmake --build "$build" -j2 --target "$@"

failed=0
for t in $targets; do
    corpus="$build/fuzz-corpus/$t"
    artifacts="$build/fuzz-artifacts/$t/"
    log="$build/fuzz-$t.log"
    mkdir -p "$corpus" "$artifacts"
    status=0
    LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0" \
        nice -n 10 "$build/tests/fuzz/fuzz_$t" -fork=1 -ignore_ooms=1 -ignore_timeouts=1 -ignore_crashes=0 \
        -max_total_time="$seconds" -artifact_prefix="$artifacts" "$corpus" "tests/fuzz/corpus/$t" \
        >"$log" 2>&1 || status=$?
    stats=$(grep -E '^#[0-9]+: cov:' "$log" | tail -n 1)
    size=$(ls "$corpus" | wc -l)
    if [ "$status" -eq 0 ]; then
        result="no finding"
    else
        result="FINDING (exit $status, see $log and $artifacts)"
        failed=1
    fi
    echo "$t: $stats; corpus $size files; $result"
done
exit $failed
