#!/bin/bash
# Runs every fuzz target for a while: `make fuzz FUZZ_SECONDS=600`.
# New inputs go to the build folder; the seeds in tests/fuzz/corpus stay as
# they are. A crash leaves its input in the build folder and fails the run.
set -eu
build=$(realpath "$1")
seconds=${2:-60}
root=$(cd "$(dirname "$0")/.." && pwd)
status=0
for seeds in "$root"/tests/fuzz/corpus/*/; do
    target=$(basename "$seeds")
    work="$build/fuzz/$target"
    mkdir -p "$work/corpus"
    echo "== $target for ${seconds}s"
    if ! (cd "$work" && "$build/$target" -max_total_time="$seconds" -print_final_stats=1 \
            corpus "$seeds" 2>&1 | grep -E 'stat::number_of_executed_units|Done|ERROR|SUMMARY'); then
        status=1
    fi
    ls "$work"/crash-* >/dev/null 2>&1 && { echo "$target: crash inputs in $work"; status=1; }
done
exit $status
