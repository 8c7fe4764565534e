#!/usr/bin/env bash
# Sticks of their own for the GUI tests of hostile files and of faults at the end of a run,
# as drive letters of the build's wine prefix:
#   K:  a plain folder: the bad-file corpus, a configuration folder or the whole drive
#       taken away while the program runs;
#   R:  a write-protected stick: a read-only bind mount of its folder, laid out here
#       first (\tools\verrow.ini and two entry files);
#   T:  a small stick that the test fills up: a 2 MB tmpfs.
# Each holds \tools\Verrow.exe and \apps\a.exe (the stamp program, which the corpus's
# start-up entries name). The large corpus files are generated once per build into
# BUILD_DIR/bad-files. Mounts need root; without it the tests that need them skip.
# Whatever ends the run, its mounts are undone; `cleanup` undoes what a killed run left.
#   stick.sh BUILD_DIR run VERROW_EXE STAMP_EXE TEST_EXE [test arguments...]
#   stick.sh BUILD_DIR cleanup
set -euo pipefail
build=$(cd "$1" && pwd)
source_dir=$(cd "$(dirname "$0")/../../.." && pwd)
root="$build/gui-stick"
dosdevices="$build/wineprefix/dosdevices"
letters=(k r t)

unmount() {
    local dir=$1 tries=0
    while mountpoint -q "$dir" 2>/dev/null && [ $tries -lt 5 ]; do
        # A program still holding a file there makes it busy: detach it lazily then.
        umount "$dir" 2>/dev/null || umount -l "$dir" 2>/dev/null || true
        tries=$((tries + 1))
    done
    ! mountpoint -q "$dir" 2>/dev/null
}

release() {
    local ok=0
    for dir in "$root/readonly" "$root/full"; do
        unmount "$dir" || { echo "stick.sh: $dir is still mounted" >&2; ok=1; }
    done
    for letter in "${letters[@]}"; do rm -f "$dosdevices/$letter:"; done
    # Never remove a tree that still has a mount inside it.
    if [ $ok -eq 0 ] && [ -d "$root" ]; then rm -rf "$root"; fi
    return $ok
}

drive() {  # drive LETTER FOLDER: the stick's programs, and the letter pointing at it
    mkdir -p "$2/tools" "$2/apps"
    cp "$verrow_exe" "$2/tools/Verrow.exe"
    cp "$stamp_exe" "$2/apps/a.exe"
    ln -sfn "$2" "$dosdevices/$1:"
}

case "${2:-}" in
cleanup)
    release
    exit $?
    ;;
run)
    verrow_exe=$3
    stamp_exe=$4
    test_exe=$5
    shift 5
    ;;
*)
    echo "usage: stick.sh BUILD_DIR run VERROW_EXE STAMP_EXE TEST_EXE [args...] | BUILD_DIR cleanup" >&2
    exit 2
    ;;
esac

release
# The mounts go on every way out: INT and TERM end the tests and then the script through
# its EXIT trap (the tests run in the background so that the signal is taken at once).
child=
trap 'release' EXIT
trap '[ -n "$child" ] && kill -TERM "$child" 2>/dev/null; [ -n "$child" ] && wait "$child"; exit 143' INT TERM HUP

python3 "$source_dir/tools/make-bad-files.py" "$build/bad-files" >/dev/null

mkdir -p "$root" "$dosdevices"
drive k "$root/plain"

mounts=0
if [ "$(id -u)" -eq 0 ]; then
    drive r "$root/readonly"
    printf '[Verrow]\r\nStartOpen=0\r\nListStyle=2\r\n' >"$root/readonly/tools/verrow.ini"
    mkdir -p "$root/readonly/tools/VERROW_CNF"
    printf '[MoxEnvExec]\r\nAppName=keep\r\nAppPath=\\apps\\a.exe\r\nStartUp=0\r\n' \
        >"$root/readonly/tools/VERROW_CNF/keep.vrc"
    printf '[MoxEnvExec]\r\nAppName=edit me\r\nAppPath=\\apps\r\n' \
        >"$root/readonly/tools/VERROW_CNF/edit.vrc"
    mount --bind "$root/readonly" "$root/readonly"
    mount -o remount,bind,ro "$root/readonly"

    mkdir -p "$root/full"
    mount -t tmpfs -o size=2m,mode=0755 verrow-full-stick "$root/full"
    drive t "$root/full"
    mounts=1
else
    echo "stick.sh: not root; the write-protected and full sticks are left out" >&2
fi

# Under a deadline of its own, so that the EXIT trap still runs before CTest's timeout.
VERROW_STICK="$root" VERROW_STICK_MOUNTS=$mounts VERROW_BAD_FILES="$build/bad-files" \
VERROW_TEST_DATA=${VERROW_TEST_DATA:-$source_dir/tests/data} \
    timeout --signal=TERM 540 "$source_dir/tools/wine-run" "$build" "$test_exe" "$@" &
child=$!
status=0
wait "$child" || status=$?
exit $status
