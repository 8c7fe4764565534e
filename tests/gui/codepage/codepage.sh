#!/usr/bin/env bash
# The same Japanese stick on a system whose code page is 932 and on one whose code page
# is 1252 (tools/wine-run's VERROW_WINE_CODEPAGE: a prefix, display and session of its
# own). Drive J: of each prefix is a folder BUILD_DIR/gui-codepage/<code page> holding
#   \ツール\Verrow.exe, \ツール\エディタ\編集.exe (the probe), \データ\書類\, and
#   \Zoë\Verrow.exe, in a folder whose name code page 932 cannot hold, and
#   \yen\Verrow¥2.exe beside a folder \yen\Verrow\ (the yen sign's nearest code page 932
#   form is a backslash), each with settings that open no Explorer.
# The tests run under 932 first, then under 1252, where they also compare the files they
# leave with those of the 932 run. The 1252 session ends with the run.
#   codepage.sh BUILD_DIR run VERROW_EXE PROBE_EXE TEST_EXE [test arguments...]
#   codepage.sh BUILD_DIR cleanup
set -euo pipefail
build=$(cd "$1" && pwd)
source_dir=$(cd "$(dirname "$0")/../../.." && pwd)
wine_run="$source_dir/tools/wine-run"
root="$build/gui-codepage"

release() {
    rm -f "$build/wineprefix/dosdevices/j:" "$build/wineprefix-1252/dosdevices/j:"
    VERROW_WINE_CODEPAGE=1252 "$wine_run" "$build" --stop || true
    rm -rf "$root"
}

stick() {  # stick CODE_PAGE PREFIX: the folder, and J: of the prefix pointing at it
    local dir="$root/$1"
    mkdir -p "$dir/ツール/エディタ" "$dir/データ/書類" "$dir/Zoë" "$dir/yen/Verrow"
    cp "$verrow_exe" "$dir/ツール/Verrow.exe"
    cp "$verrow_exe" "$dir/Zoë/Verrow.exe"
    cp "$verrow_exe" "$dir/yen/Verrow¥2.exe"
    printf '[Verrow]\r\nStartOpen=0\r\nListStyle=0\r\n' | tee "$dir/yen/verrow.ini" >"$dir/yen/Verrow/verrow.ini"
    cp "$probe_exe" "$dir/ツール/エディタ/編集.exe"
    ln -sfn "$dir" "$2/dosdevices/j:"
}

case "${2:-}" in
cleanup)
    release
    exit 0
    ;;
run)
    verrow_exe=$3
    probe_exe=$4
    test_exe=$5
    shift 5
    ;;
*)
    echo "usage: codepage.sh BUILD_DIR run VERROW_EXE PROBE_EXE TEST_EXE [args...] | BUILD_DIR cleanup" >&2
    exit 2
    ;;
esac

release
trap 'release' EXIT
VERROW_WINE_CODEPAGE=1252 "$wine_run" "$build" --start
stick 932 "$build/wineprefix"
stick 1252 "$build/wineprefix-1252"

status=0
echo "=== code page 932 ==="
# Each under a deadline of its own, so that the EXIT trap still runs before CTest's timeout.
VERROW_CODEPAGE=932 VERROW_CODEPAGE_STICK="$root/932" \
    timeout --signal=TERM 240 "$wine_run" "$build" "$test_exe" "$@" || status=$?
echo "=== code page 1252 ==="
VERROW_CODEPAGE=1252 VERROW_CODEPAGE_STICK="$root/1252" VERROW_CODEPAGE_REFERENCE="$root/932" \
VERROW_WINE_CODEPAGE=1252 timeout --signal=TERM 240 "$wine_run" "$build" "$test_exe" "$@" || status=$?
exit $status
