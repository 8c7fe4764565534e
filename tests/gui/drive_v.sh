#!/usr/bin/env bash
# Gives the GUI tests a drive V: (a folder of the build mapped in the build's prefix):
#   V:\tools\Verrow.exe, V:\tools\probe\probe.exe, V:\tools\stamp\stamp.exe, V:\data\,
#   and V:\locked\ with its own Verrow.exe whose verrow.ini cannot be replaced (chattr +i)
#   for the test of a failed save. The tests write the configurations themselves.
#   drive_v.sh BUILD_DIR setup VERROW_EXE PROBE_EXE STAMP_EXE
#   drive_v.sh BUILD_DIR cleanup
set -euo pipefail
build=$(cd "$1" && pwd)
root="$build/gui-drive-v"
link="$build/wineprefix/dosdevices/v:"

release() {
    # chattr -i first: an immutable file left by an interrupted run cannot be removed.
    if [ -d "$root" ]; then
        find "$root" -type f -exec chattr -i {} + 2>/dev/null || true
        rm -rf "$root"
    fi
    # A test that renamed the drive away and did not live to bring it back.
    if [ -d "$root-away" ]; then
        find "$root-away" -type f -exec chattr -i {} + 2>/dev/null || true
        rm -rf "$root-away"
    fi
    rm -f "$link"
}

case "$2" in
setup)
    release
    trap 'release' ERR
    mkdir -p "$root/tools/probe" "$root/tools/stamp" "$root/data" "$root/locked/VERROW_CNF"
    cp "$3" "$root/tools/Verrow.exe"
    cp "$4" "$root/tools/probe/probe.exe"
    cp "$5" "$root/tools/stamp/stamp.exe"
    cp "$3" "$root/locked/Verrow.exe"
    printf '[Verrow]\r\nStartOpen=0\r\nListStyle=2\r\n' >"$root/locked/verrow.ini"
    printf '[MoxEnvExec]\r\nAppName=keep\r\nAppPath=\\data\r\n' >"$root/locked/VERROW_CNF/keep.vrc"
    chattr +i "$root/locked/verrow.ini"
    ln -sfn "$root" "$link"
    ;;
cleanup)
    release
    ;;
*)
    echo "usage: drive_v.sh BUILD_DIR setup VERROW_EXE PROBE_EXE STAMP_EXE | cleanup" >&2
    exit 2
    ;;
esac
