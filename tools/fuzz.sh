#!/usr/bin/env bash
# Builds the fuzz targets (the fuzz preset) and runs each for a while.
#   tools/fuzz.sh [seconds-per-target]       default 30
# Environment: FUZZ_BUILD_DIR (default build/fuzz), FUZZ_TARGETS (default: all four),
# FUZZ_JOBS (targets run at once, default 1; the machine has two cores).
# Each target grows its own corpus in the build directory, seeded from the committed one;
# crashes, leaks, timeouts and out-of-memory inputs are kept under artifacts/ there.
# Prints one line per target (executions, coverage, corpus) and fails on any finding.
set -uo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-30}
build=${FUZZ_BUILD_DIR:-build/fuzz}
targets=${FUZZ_TARGETS:-"profile entry_file environment cp932"}
jobs=${FUZZ_JOBS:-1}

cmake --preset fuzz -B "$build" >/dev/null && cmake --build "$build" -j2 >/dev/null || {
    echo "fuzz build failed" >&2
    exit 1
}
python3 tools/make-bad-files.py "$build/bad-files" >/dev/null

run_one() {
    local t=$1 dir="$build/tests/fuzz"
    local seeds=(tests/fuzz/corpus/"$t")
    case $t in profile | entry_file) seeds+=(tests/data/bad) ;; esac
    mkdir -p "$dir/corpus/$t" "$dir/artifacts/$t"
    "$dir/fuzz_$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=8192 \
        -print_final_stats=1 -artifact_prefix="$dir/artifacts/$t/" \
        "$dir/corpus/$t" "${seeds[@]}" >"$dir/$t.log" 2>&1
    local rc=$?
    local done execs units
    done=$(grep -E '^#[0-9]+[[:space:]]+DONE' "$dir/$t.log" | tail -1)
    execs=$(sed -nE 's/^stat::number_of_executed_units: *([0-9]+).*/\1/p' "$dir/$t.log" | tail -1)
    units=$(find "$dir/corpus/$t" -type f | wc -l)
    if [ $rc -eq 0 ]; then
        echo "$t: ${seconds}s, ${execs:-?} executions, $(sed -E 's/.*(cov: [0-9]+ ft: [0-9]+ corp: [0-9]+)\/.*/\1/' <<<"$done") units in use, $units kept in $dir/corpus/$t"
    else
        echo "$t: FAILED (exit $rc) after ${execs:-?} executions; see $dir/$t.log and $dir/artifacts/$t/"
        grep -E 'ERROR|check failed|SUMMARY' "$dir/$t.log" | head -5
    fi
    return $rc
}

failed=0
pids=()
for t in $targets; do
    run_one "$t" &
    pids+=($!)
    if [ "${#pids[@]}" -ge "$jobs" ]; then
        # Every target runs for the same time, so the oldest ends first. A wait on the
        # process itself keeps its status even when it ended before the wait began.
        wait "${pids[0]}" || failed=1
        pids=("${pids[@]:1}")
    fi
done
for pid in "${pids[@]}"; do
    wait "$pid" || failed=1
done
exit $failed
