#!/usr/bin/env bash
# Runs every libFuzzer target built in BUILD for SECONDS each: the seeds of
# fuzz/corpus/NAME plus a working corpus in BUILD/fuzz-corpus/NAME. An input
# that crashes or mismatches is written to fuzz/regressions/NAME/, which the
# normal test suite replays. Prints the executions per target.
# Usage: scripts/run-fuzzers.sh BUILD SECONDS
set -uo pipefail
build=$1
seconds=$2
here=$(cd "$(dirname "$0")/.." && pwd)
status=0
for fuzzer in "$build"/fuzz/morvane_fuzz_*; do
    [ -x "$fuzzer" ] || continue
    name=${fuzzer##*/morvane_fuzz_}
    work="$build/fuzz-corpus/$name"
    mkdir -p "$work" "$here/fuzz/regressions/$name"
    log="$build/fuzz-$name.log"
    "$fuzzer" -max_total_time="$seconds" -print_final_stats=1 -timeout=20 -rss_limit_mb=2048 \
        -artifact_prefix="$here/fuzz/regressions/$name/" "$work" "$here/fuzz/corpus/$name" >"$log" 2>&1
    result=$?
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
    if [ "$result" -eq 0 ]; then
        echo "$name: ${runs:-?} executions in ${seconds} s, nothing found"
    else
        echo "$name: FOUND a crash or mismatch after ${runs:-?} executions (see $log; input kept in fuzz/regressions/$name/)"
        status=1
    fi
done
exit $status
