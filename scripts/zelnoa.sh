#!/bin/sh
# Set-up, build and run on a fresh Debian 12 machine.
#   sh scripts/zelnoa.sh run    install what is missing, build, start the program
#   sh scripts/zelnoa.sh test   install what is missing, build, run the whole test suite
set -eu

mode="${1:-run}"
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${ZELNOA_BUILD_DIR:-$root/build}"

packages="build-essential cmake ninja-build pkg-config ccache qt6-base-dev libsqlite3-dev sqlite3
 mdbtools-dev fonts-ipafont-gothic"
if [ "$mode" = test ]; then
    packages="$packages xvfb xauth xdotool xclip python3 clang libclang-rt-14-dev libbenchmark-dev valgrind
 dpkg-dev file lintian appstream desktop-file-utils"
fi

missing=""
for p in $packages; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
if [ -n "$missing" ]; then
    echo "Installing:$missing"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    # shellcheck disable=SC2086
    apt-get install -y -qq --no-install-recommends $missing >/dev/null
fi

jobs="$(nproc 2>/dev/null || echo 2)"
case "$mode" in
run)
    cmake -S "$root" -B "$build" -G Ninja -DZELNOA_BUILD_TESTS=OFF >/dev/null
    cmake --build "$build" --parallel "$jobs"
    exec "$build/bin/zelnoa"
    ;;
test)
    cmake -S "$root" -B "$build" -G Ninja -DZELNOA_BUILD_TESTS=ON -DZELNOA_BUILD_BENCH=ON >/dev/null
    cmake --build "$build" --parallel "$jobs"
    cd "$build"
    QT_QPA_PLATFORM=offscreen ctest --output-on-failure --parallel "$jobs" --timeout 300
    ;;
*)
    echo "usage: sh scripts/zelnoa.sh run|test" >&2
    exit 2
    ;;
esac
