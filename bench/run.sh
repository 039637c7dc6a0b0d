#!/bin/sh
# Builds the benchmarks in Release, generates the synthetic master once, runs every benchmark with
# repetitions and prints each median with its ratio to raw sqlite3; then the Access import, the
# large settings file against its budget, the plan search against its targets and the program's
# resident memory and start-up time (bench/program.sh).
#   sh bench/run.sh [extra Google Benchmark options for the statements, e.g.
#                    --benchmark_filter=BukiList]
# The build folder is build-bench/ beside the sources (ZELNOA_BENCH_BUILD_DIR overrides it).
set -eu

root="$(cd "$(dirname "$0")/.." && pwd)"
build="${ZELNOA_BENCH_BUILD_DIR:-$root/build-bench}"

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DZELNOA_BUILD_BENCH=ON \
    -DZELNOA_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" --target zelnoa-bench zelnoa-genmaster zelnoa-bench-import \
    zelnoa-bench-settings zelnoa-bench-plan zelnoa-bench-commands
if [ ! -x "$build/bench/zelnoa-bench" ]; then
    echo "run.sh: Google Benchmark is missing (apt-get install libbenchmark-dev)" >&2
    exit 1
fi

master="$build/bench/synthetic-master.db"
rm -f "$master" "$master-wal" "$master-shm"
"$build/bench/synthetic/zelnoa-genmaster" "$master"

results="$build/bench/results.csv"
"$build/bench/zelnoa-bench" --master="$master" --benchmark_repetitions=9 \
    --benchmark_report_aggregates_only=true --benchmark_format=csv "$@" >"$results"

# Rows look like "strGetWorkSum/layer_median",9,12.3,12.1,us,... (manual-time benchmarks carry
# "/manual_time" before "_median"). Wall-clock medians, layer against raw.
awk -F, '
    $1 ~ /_median"$/ {
        name = $1
        gsub(/"/, "", name)
        sub(/_median$/, "", name)
        sub(/\/manual_time$/, "", name)
        path = name
        sub(/^.*\//, "", path)
        sub(/\/[^\/]*$/, "", name)
        if (!(name in seen)) { seen[name] = 1; order[++count] = name }
        time[name "/" path] = $3
        unit = $5
    }
    END {
        printf "%-20s %14s %14s %8s\n", "statement", "layer (" unit ")", "raw (" unit ")", "ratio"
        for (i = 1; i <= count; ++i) {
            n = order[i]
            layer = time[n "/layer"]; raw = time[n "/raw"]
            printf "%-20s %14.2f %14.2f %8.2f\n", n, layer, raw, (raw > 0 ? layer / raw : 0)
        }
    }' "$results"
echo "(medians of 9 repetitions; all figures in $results)"

# Shared by the console reports below: a time in Google Benchmark's unit in milliseconds, and a
# figure printed as measured or against its budget (0: none).
report_functions='
function milliseconds(value, unit) {
    if (unit == "s") return value * 1000
    if (unit == "us") return value / 1000
    if (unit == "ns") return value / 1000000
    return value
}
function report(name, width, ms, budget) {
    if (budget > 0)
        printf "%-*s %10.2f ms   budget %d ms %s\n", width, name, ms, budget,
            ms < budget ? "(met)" : "(MISSED)"
    else
        printf "%-*s %10.2f ms\n", width, name, ms
}'

# Figures without a raw counterpart: medians in milliseconds, the settings file against its budget.
# Console format: the CSV reporter refuses counters that only some benchmarks have.
medians() {
    "$1" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
        --benchmark_color=false 2>/dev/null | awk -v budget="$2" "$report_functions"'
        $1 ~ /_median$/ {
            name = $1
            sub(/_median$/, "", name)
            sub(/\/iterations:[0-9]+$/, "", name)
            report(name, 20, milliseconds($2, $3), budget)
        }'
}
echo
echo "Access import (medians of 5):"
medians "$build/bench/zelnoa-bench-import" 0
echo
echo "Settings file, 1,000 profiles, 1,000 bonus sets, plans for 2,000 weapons (medians of 5):"
medians "$build/bench/zelnoa-bench-settings" 100
echo
echo "Plan search on the synthetic master and the sample (medians of 5):"
# Evaluation against its rate target, searches against their budgets, the rest as measured.
"$build/bench/zelnoa-bench-plan" --master="$master" --benchmark_repetitions=5 \
    --benchmark_report_aggregates_only=true --benchmark_color=false 2>/dev/null |
    awk "$report_functions"'
    $1 ~ /_median$/ {
        name = $1
        sub(/_median$/, "", name)
        sub(/\/real_time$/, "", name)
        rate = ""
        for (i = 4; i <= NF; ++i)
            if ($i ~ /^items_per_second=/) rate = substr($i, 18)
        if (rate != "") {
            per = rate + 0
            if (rate ~ /k\/s$/) per *= 1000
            if (rate ~ /M\/s$/) per *= 1000000
            if (rate ~ /G\/s$/) per *= 1000000000
            printf "%-36s %10.1f M plans/s   target 10 M/s %s\n", name, per / 1000000,
                (per >= 10000000 ? "(met)" : "(MISSED)")
            next
        }
        budget = 0
        if (name ~ /^largest_weapon\//) budget = 100
        if (name ~ /^every_weapon\/sample\//) budget = 200
        report(name, 36, milliseconds($2, $3), budget)
    }'
echo
echo "Whole commands through the windows on the synthetic master (medians of 9; target 4 ms):"
"$build/bench/zelnoa-bench-commands" --benchmark_repetitions=9 \
    --benchmark_report_aggregates_only=true --benchmark_color=false 2>/dev/null |
    awk "$report_functions"'
    $1 ~ /_median$/ {
        name = $1
        sub(/\/manual_time_median$/, "", name)
        ms = milliseconds($2, $3)
        cpu = ""
        for (i = 4; i <= NF; ++i)
            if ($i ~ /^cpu_ms=/) cpu = substr($i, 8)
        printf "%-24s %8.3f ms wall %8.3f ms thread CPU %s\n", name, ms, cpu,
            (cpu + 0 < 4 ? "" : "(over 4 ms)")
    }'
echo
ZELNOA_BENCH_BUILD_DIR="$build" sh "$root/bench/program.sh"
