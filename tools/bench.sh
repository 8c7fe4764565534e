#!/usr/bin/env bash
# The benchmark of load, start and size, run under wine side by side with the platform;
# prints a table of ratios of medians (see bench/bench_main.cpp for what is measured).
#   tools/bench.sh [N V RUNS]                        builds the win32 preset in build/bench, runs
#   tools/bench.sh --build DIR [--check] [N V RUNS]  uses an existing build (the CTest test)
#   tools/bench.sh --timing [N V RUNS]               starts only, of a build with the program's
#                                                    timing marks (build/bench-timing): where the time goes
# Where the host runs no 32-bit programs it builds the win64 preset (build/bench-win64,
# build/bench-timing-win64) instead; VERROW_WINDOWS_ARCH=win32 or win64 chooses either
# (see tools/windows-arch).
# N entry files of V variables (default 1000 x 100); RUNS loads of each kind (default 3)
# and RUNS starts of each program, at least 11.
# --check fails (exit 1) only on a gross regression: a ratio an order of magnitude off.
# The data lives in BUILD/bench-drive, seen by the program as drive K:, while it runs.
set -euo pipefail
cd "$(dirname "$0")/.."

build=""
extra=()
timing=0
while [ $# -gt 0 ]; do
    case "$1" in
        --build) build=$2; shift 2 ;;
        --check) extra=(--check); shift ;;
        --timing) timing=1; shift ;;
        -h|--help) sed -n '2,14p' "$0"; exit 0 ;;
        *) break ;;
    esac
done
files=${1:-1000}
vars=${2:-100}
runs=${3:-3}

if [ -z "$build" ]; then
    ./tools/setup-debian.sh >/dev/null
    arch=$(./tools/windows-arch)
    build=build/bench
    timing_flag=-DVERROW_TIMING=OFF
    if [ "$timing" = 1 ]; then build=build/bench-timing; timing_flag=-DVERROW_TIMING=ON; fi
    [ "$arch" = win32 ] || build=$build-$arch
    cmake --preset "$arch" -B "$build" "$timing_flag" >/dev/null
    cmake --build "$build" -j2 --target verrow_bench >/dev/null
fi
build=$(cd "$build" && pwd)
for f in "$build/bench/verrow_bench.exe" "$build/bench/verrow_bench_floor.exe" "$build/Verrow.exe"; do
    [ -f "$f" ] || { echo "bench: $f is missing (build the win32 or win64 preset first)" >&2; exit 2; }
done

# A session that was already running (the test command's) is left running.
session_was_up=0
pid_file="$build/wine-session/xvfb.pid"
if [ -f "$pid_file" ] && kill -0 "$(cat "$pid_file")" 2>/dev/null; then session_was_up=1; fi
./tools/wine-run "$build" --start

drive="$build/bench-drive"
link="$build/wineprefix/dosdevices/k:"
cleanup() {
    rm -f "$link"
    rm -rf "$drive"
    [ "$session_was_up" = 1 ] || ./tools/wine-run "$build" --stop
}
trap cleanup EXIT
rm -rf "$drive"
mkdir -p "$drive"
ln -sfn "$drive" "$link"

win() { local p=$1; printf 'Z:%s' "${p//\//\\}"; }
if [ "$timing" = 1 ]; then extra=(--timing "$(win "$build/timing.log")"); fi
set +e
./tools/wine-run "$build" "$build/bench/verrow_bench.exe" --root 'K:\' \
    --verrow "$(win "$build/Verrow.exe")" --floor "$(win "$build/bench/verrow_bench_floor.exe")" \
    --files "$files" --vars "$vars" --runs "$runs" "${extra[@]}" | tr -d '\r'
status=${PIPESTATUS[0]}
set -e
exit "$status"
