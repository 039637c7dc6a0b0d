#!/bin/sh
# The real program on an Xvfb display of its own. Resident memory on the synthetic master of 20,000
# weapons: the program runs from a throw-away program folder, and once its main window stands and
# the weapon list is filled (no more CPU time used for two seconds) VmRSS and VmHWM are read from
# /proc; both are printed in MB next to the budget of 150 MB. Then the warm start-up to the first
# expose of the main window on the sample master, the median of 10 (zelnoa-bench-startup).
# Exits 1 when VmHWM is over its budget.
#   sh bench/program.sh
# Uses the Release build folder of run.sh (ZELNOA_BENCH_BUILD_DIR overrides it).
set -eu

root="$(cd "$(dirname "$0")/.." && pwd)"
build="${ZELNOA_BENCH_BUILD_DIR:-$root/build-bench}"
budget_mb=150

for tool in Xvfb xdotool; do
    command -v "$tool" >/dev/null || { echo "program.sh: $tool is missing" >&2; exit 1; }
done
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DZELNOA_BUILD_BENCH=ON \
    -DZELNOA_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" --target zelnoa zelnoa-import zelnoa-genmaster \
    zelnoa-bench-startup >/dev/null

folder="$(mktemp -d)"
xpid=""
pid=""
cleanup() {
    [ -z "$pid" ] || kill "$pid" 2>/dev/null || true
    [ -z "$xpid" ] || kill "$xpid" 2>/dev/null || true
    rm -rf "$folder"
}
trap cleanup EXIT INT TERM

cp "$build/bin/zelnoa" "$build/bin/zelnoa-import" "$folder/"
"$build/bench/synthetic/zelnoa-genmaster" "$folder/vaelbuki.mdb" >/dev/null

display=":$((200 + $$ % 300))"
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xpid=$!
export DISPLAY="$display"
tries=0
until xdotool getmouselocation >/dev/null 2>&1; do
    tries=$((tries + 1))
    [ "$tries" -lt 100 ] || { echo "program.sh: Xvfb did not start" >&2; exit 1; }
    sleep 0.1
done

"$folder/zelnoa" >/dev/null 2>&1 &
pid=$!
tries=0
until xdotool search --onlyvisible --pid "$pid" --name '^ゼルノア$' >/dev/null 2>&1; do
    tries=$((tries + 1))
    kill -0 "$pid" 2>/dev/null || { echo "program.sh: the program ended early" >&2; exit 1; }
    [ "$tries" -lt 600 ] || { echo "program.sh: no main window" >&2; exit 1; }
    sleep 0.1
done

# Fields 14 and 15 of /proc/PID/stat are its user and system time; the name field before them
# holds no blanks here.
cpu() { awk '{ print $14 + $15 }' "/proc/$pid/stat"; }
last="$(cpu)"
still=0
while [ "$still" -lt 4 ]; do
    sleep 0.5
    now="$(cpu)"
    if [ "$now" = "$last" ]; then still=$((still + 1)); else still=0; fi
    last="$now"
done

rss_kb="$(awk '/^VmRSS:/ { print $2 }' "/proc/$pid/status")"
hwm_kb="$(awk '/^VmHWM:/ { print $2 }' "/proc/$pid/status")"
weapons="$(sqlite3 "$folder/vaelbuki.mdb" 'SELECT COUNT(*) FROM BUKI_MASTER' 2>/dev/null || echo '?')"
kill "$pid"
wait "$pid" 2>/dev/null || true
pid=""
awk -v rss="$rss_kb" -v hwm="$hwm_kb" -v budget="$budget_mb" -v weapons="$weapons" 'BEGIN {
    printf "resident memory with %s weapons: VmRSS %.1f MB, VmHWM %.1f MB (budget %d MB)\n",
        weapons, rss / 1024, hwm / 1024, budget
}'

"$build/bench/zelnoa-bench-startup" --benchmark_repetitions=10 \
    --benchmark_report_aggregates_only=true --benchmark_color=false 2>/dev/null | awk '
    $1 ~ /_median$/ {
        printf "warm start-up to the shown main window, sample master: median %.0f ms of 10\n", $2
    }'
[ "$((hwm_kb / 1024))" -le "$budget_mb" ]
