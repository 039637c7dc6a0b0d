#!/bin/sh
# Instructions per call (callgrind's Ir) of one statement, through the layer and raw.
#   sh bench/callgrind.sh STATEMENT     e.g. sh bench/callgrind.sh strGetWorkSum
# Uses the Release build and the synthetic master of run.sh (run that first) and valgrind.
set -eu

root="$(cd "$(dirname "$0")/.." && pwd)"
build="${ZELNOA_BENCH_BUILD_DIR:-$root/build-bench}"
name="${1:?usage: sh bench/callgrind.sh STATEMENT}"
bench="$build/bench/zelnoa-bench"
master="$build/bench/synthetic-master.db"
[ -x "$bench" ] && [ -f "$master" ] || { echo "callgrind.sh: run bench/run.sh first" >&2; exit 1; }

for path in layer raw; do
    if [ "$path" = layer ]; then fn=runLayer; else fn=runRaw; fi
    out="$build/bench/callgrind.$name.$path"
    # Only the measured function is counted; a second of benchmark time gives enough calls for
    # the first, cold call to vanish in the average.
    valgrind --tool=callgrind --callgrind-out-file="$out" --toggle-collect="*$fn(*" \
        "$bench" --master="$master" --benchmark_filter="^$name/$path" \
        --benchmark_min_time=1 >/dev/null 2>&1
    # In the caller tree, the line before "* ...runLayer(" names the caller with "(N x)" calls.
    callgrind_annotate --inclusive=yes --tree=caller "$out" | awk -v fn="$fn(" -v path="$path" '
        /^ *[0-9,]+ .*< / { caller = $0 }
        /^ *[0-9,]+ .*\*  / && index($0, fn) {
            ir = $1; gsub(/,/, "", ir)
            calls = caller; sub(/x\).*$/, "", calls); sub(/^.*\(/, "", calls); gsub(/,/, "", calls)
            printf "%-6s %12.0f Ir per call (%d calls)\n", path, ir / calls, calls
            exit
        }'
done
