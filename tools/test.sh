#!/usr/bin/env bash
# Installs whatever is missing, builds every configuration and runs every test:
# the native unit tests, the same under AddressSanitizer and UndefinedBehaviorSanitizer and
# as a 32-bit x86 program (under qemu where the host runs no 32-bit programs: the shipped
# program is 32-bit, and nothing else then runs its logic with 32-bit sizes),
# the Windows build under wine (unit, platform and GUI tests), and the fuzz targets briefly.
# The Windows suite runs on the 32-bit build where the host runs 32-bit programs, else on
# the 64-bit build; the 32-bit build is then still made, and the shipped Verrow.exe and its
# package are checked (the package's program is started only where the host runs 32-bit
# programs, whichever suite runs). VERROW_WINDOWS_ARCH=win32 or win64 chooses either
# (see tools/windows-arch).
# Ends with one summary line in CTest's words, after the tests that were skipped, if any;
# fails when any test fails or none ran.
set -uo pipefail
cd "$(dirname "$0")/.."
./tools/setup-debian.sh || exit 1
windows_arch=$(./tools/windows-arch) || exit 1

logs=build/test-logs
mkdir -p "$logs"
total=0
failed=0
broken=()
skipped=()

build_preset() {  # build_preset PRESET [TARGET...]: configure, build all or the targets given
    local preset=$1
    shift
    local targets=()
    [ $# -eq 0 ] || targets=(--target "$@")
    if ! { cmake --preset "$preset" && cmake --build --preset "$preset" "${targets[@]}"; } \
        >"$logs/$preset-build.log" 2>&1; then
        tail -40 "$logs/$preset-build.log"
        broken+=("$preset (build)")
        return 1
    fi
}

test_preset() {  # test_preset PRESET [CTEST ARGUMENT...]
    local preset=$1
    shift
    ctest --preset "$preset" "$@" 2>&1 | tee "$logs/$preset-test.log"
    local line
    line=$(LC_ALL=C grep -E 'tests passed, [0-9]+ tests failed out of [0-9]+' "$logs/$preset-test.log" | tail -1)
    if [ -z "$line" ]; then
        broken+=("$preset (no tests ran)")
        return
    fi
    local n f
    n=$(sed -E 's/.*out of ([0-9]+).*/\1/' <<<"$line")
    f=$(sed -E 's/.*, ([0-9]+) tests failed.*/\1/' <<<"$line")
    total=$((total + n))
    failed=$((failed + f))
    [ "$f" -eq 0 ] || broken+=("$preset ($f failed)")
    # CTest counts a skipped test among the passed ones, and a test program that skips some
    # of its cases (a drive or stick it needs is missing) passes as a whole: the summary
    # names both.
    local name
    while read -r name; do
        skipped+=("$preset: $name")
    done < <(
        LC_ALL=C sed -nE 's/.*Test +#[0-9]+: ([^ ]+) .*\*\*\*Skipped.*/\1/p' "$logs/$preset-test.log"
        LC_ALL=C sed -nE 's/^\[  SKIPPED \] ([A-Za-z_][A-Za-z0-9_/]*\.[A-Za-z0-9_/]+).*/\1/p' \
            "build/$preset/Testing/Temporary/LastTest.log" 2>/dev/null | sort -u
    )
}

for p in native native-asan native-m32; do
    echo "=== $p ==="
    build_preset "$p" && test_preset "$p"
done
if [ "$windows_arch" = win32 ]; then
    echo "=== win32 ==="
    build_preset win32 && test_preset win32
else
    echo "=== win32: the shipped Verrow.exe and its package, read but not run (the Windows suite runs as win64) ==="
    # Everything is built, not only the program: making the package builds the whole tree
    # first, which inside the package test would be one file at a time against its timeout.
    build_preset win32 && test_preset win32 -L no-execution
    echo "=== win64 ==="
    build_preset win64 && test_preset win64
fi
if [ -f tests/fuzz/CMakeLists.txt ]; then
    echo "=== fuzz ==="
    build_preset fuzz && test_preset fuzz
fi

echo
[ ${#broken[@]} -eq 0 ] || echo "Problems: ${broken[*]}"
[ ${#skipped[@]} -eq 0 ] || echo "Skipped, counted as passed: ${skipped[*]}"
if [ "$total" -eq 0 ]; then
    echo "No tests ran."
    exit 1
fi
passed=$((total - failed))
pct=$((passed * 100 / total))
echo "All configurations (Windows suite run as $windows_arch): ${pct}% tests passed, ${failed} tests failed out of ${total}"
[ ${#broken[@]} -eq 0 ]
