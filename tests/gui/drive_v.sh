#!/usr/bin/env bash
# Gives the GUI tests a drive V: (a folder of the build mapped in the build's prefix):
#   V:\tools\Verrow.exe, V:\tools\probe\probe.exe, V:\tools\stamp\stamp.exe, V:\data\,
#   V:\locked\ with its own Verrow.exe whose verrow.ini cannot be replaced (chattr +i)
#   for the test of a failed save, and V:\readonly\ with its own Verrow.exe whose
#   VERROW_CNF folder and entry file cannot be changed (chattr +i on both) for the test of
#   entries that cannot be written. The tests write the other configurations themselves.
#   drive_v.sh BUILD_DIR setup VERROW_EXE PROBE_EXE STAMP_EXE
#   drive_v.sh BUILD_DIR cleanup
set -euo pipefail
build=$(cd "$1" && pwd)
root="$build/gui-drive-v"
link="$build/wineprefix/dosdevices/v:"

release() {
    # chattr -i first: an immutable file or folder left by an interrupted run cannot be
    # removed (nor can anything inside an immutable folder).
    if [ -d "$root" ]; then
        find "$root" \( -type f -o -type d \) -exec chattr -i {} + 2>/dev/null || true
        rm -rf "$root"
    fi
    # A test that renamed the drive away and did not live to bring it back.
    if [ -d "$root-away" ]; then
        find "$root-away" \( -type f -o -type d \) -exec chattr -i {} + 2>/dev/null || true
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
    # A key more than a close writes, so that a close has to write it
    printf '[Verrow]\r\nStartOpen=0\r\nListStyle=2\r\nMore=1\r\n' >"$root/locked/verrow.ini"
    printf '[MoxEnvExec]\r\nAppName=keep\r\nAppPath=\\data\r\n' >"$root/locked/VERROW_CNF/keep.vrc"
    chattr +i "$root/locked/verrow.ini"
    mkdir -p "$root/readonly/VERROW_CNF"
    cp "$3" "$root/readonly/Verrow.exe"
    printf '[Verrow]\r\nStartOpen=0\r\nListStyle=2\r\n' >"$root/readonly/verrow.ini"
    printf '[MoxEnvExec]\r\nAppName=keep\r\nAppPath=\\data\r\n' >"$root/readonly/VERROW_CNF/keep.vrc"
    chattr +i "$root/readonly/VERROW_CNF/keep.vrc" "$root/readonly/VERROW_CNF"
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
