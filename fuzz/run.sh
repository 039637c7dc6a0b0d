#!/bin/sh
# Builds the fuzz targets with clang in their own build folder and runs each one for at most the
# given number of seconds (default 30), starting from its checked-in seed corpus.
#   sh fuzz/run.sh [seconds]
# New inputs collect in build-fuzz/fuzz/corpus/<target>/, inputs that broke a target in
# build-fuzz/fuzz/artifacts/; the checked-in corpus is only read. Exits non-zero when any target
# failed. ZELNOA_FUZZ_BUILD_DIR overrides the build folder.
set -eu

seconds="${1:-30}"
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${ZELNOA_FUZZ_BUILD_DIR:-$root/build-fuzz}"

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZELNOA_BUILD_FUZZ=ON -DZELNOA_BUILD_TESTS=OFF \
    -DZELNOA_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" --target fuzzers

artifacts="$build/fuzz/artifacts"
mkdir -p "$artifacts"
failed=""
printf '%-22s %10s %8s  %s\n' target executions result log
for seeds in "$root"/fuzz/corpus/*/; do
    target="$(basename "$seeds")"
    corpus="$build/fuzz/corpus/$target"
    log="$build/fuzz/$target.log"
    mkdir -p "$corpus"
    result=ok
    "$build/fuzz/$target" -max_total_time="$seconds" -timeout=25 -rss_limit_mb=2048 \
        -max_len=4096 -print_final_stats=1 -artifact_prefix="$artifacts/$target-" \
        "$corpus" "$seeds" >"$log" 2>&1 || result=FAILED
    [ "$result" = ok ] || failed="$failed $target"
    executions="$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")"
    printf '%-22s %10s %8s  %s\n' "$target" "${executions:-?}" "$result" "$log"
    grep -h '^fuzz_access_import:' "$log" || true
done
if [ -n "$failed" ]; then
    echo "fuzz/run.sh: failed:$failed (inputs in $artifacts)" >&2
    exit 1
fi
