#!/bin/bash
# Runs every fuzz target for a while: `make fuzz FUZZ_SECONDS=600`, or for a
# number of inputs each: `make fuzz FUZZ_RUNS=10000000` (then FUZZ_SECONDS
# still caps each target). Inputs grow up to 1 MB, so a reader that is
# slow on large files shows; an input that takes over 10 s is reported as a
# hang. New inputs go to the build folder; the seeds in tests/fuzz/corpus
# stay as they are. A crash or hang leaves its input in the build folder and
# fails the run.
set -eu
build=$(realpath "$1")
seconds=${2:-60}
runs=${3:--1}
root=$(cd "$(dirname "$0")/.." && pwd)
status=0
for seeds in "$root"/tests/fuzz/corpus/*/; do
    target=$(basename "$seeds")
    work="$build/fuzz/$target"
    mkdir -p "$work/corpus"
    echo "== $target for ${seconds}s"
    if ! (cd "$work" && "$build/$target" -max_total_time="$seconds" -runs="$runs" -max_len=1048576 \
            -timeout=10 -print_final_stats=1 corpus "$seeds" 2>&1 |
            grep -E 'stat::number_of_executed_units|stat::average_exec_per_sec|stat::peak_rss_mb|Done|DONE|ERROR|SUMMARY'); then
        status=1
    fi
    ls "$work"/crash-* "$work"/timeout-* >/dev/null 2>&1 && { echo "$target: crash or hang inputs in $work"; status=1; }
done
exit $status
