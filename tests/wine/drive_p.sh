#!/usr/bin/env bash
# Gives the wine tests a drive P: (a folder of the build mapped in the build's prefix)
# holding the probe program, and files that must not change (chattr +i) for the tests
# of failed writes.
#   drive_p.sh BUILD_DIR setup PROBE_EXE
#   drive_p.sh BUILD_DIR cleanup
set -euo pipefail
build=$(cd "$1" && pwd)
root="$build/wine-drive-p"
link="$build/wineprefix/dosdevices/p:"

release() {
    # chattr -i first: an immutable file left by an interrupted run cannot be removed.
    if [ -d "$root" ]; then
        find "$root" -type f -exec chattr -i {} + 2>/dev/null || true
        rm -rf "$root"
    fi
    rm -f "$link"
}

case "$2" in
setup)
    probe=$3
    release
    mkdir -p "$root/tools/probe" "$root/ソフト" "$root/locked/VERROW_CNF"
    cp "$probe" "$root/tools/probe/probe.exe"
    cp "$probe" "$root/ソフト/probe.exe"
    printf '[Verrow]\r\nStartOpen=0\r\nListStyle=2\r\n' >"$root/locked/verrow.ini"
    printf '[MoxEnvExec]\r\nAppName=locked\r\nAppPath=\\tools\\probe\\probe.exe\r\n' \
        >"$root/locked/VERROW_CNF/VER1.vrc"
    chattr +i "$root/locked/verrow.ini" "$root/locked/VERROW_CNF/VER1.vrc"
    ln -sfn "$root" "$link"
    ;;
cleanup)
    release
    ;;
*)
    echo "usage: drive_p.sh BUILD_DIR setup PROBE_EXE | cleanup" >&2
    exit 2
    ;;
esac
