#!/usr/bin/env bash
# Installs whatever is missing, builds every configuration and runs every test:
# the native unit tests, the same under AddressSanitizer and UndefinedBehaviorSanitizer,
# the Windows build under wine (unit, platform and GUI tests), and the fuzz targets briefly.
# Ends with one summary line in CTest's words; fails when any test fails or none ran.
set -uo pipefail
cd "$(dirname "$0")/.."
./tools/setup-debian.sh || exit 1

logs=build/test-logs
mkdir -p "$logs"
total=0
failed=0
broken=()

run_preset() {
    local preset=$1
    echo "=== $preset ==="
    if ! { cmake --preset "$preset" && cmake --build --preset "$preset"; } >"$logs/$preset-build.log" 2>&1; then
        tail -40 "$logs/$preset-build.log"
        broken+=("$preset (build)")
        return
    fi
    ctest --preset "$preset" 2>&1 | tee "$logs/$preset-test.log"
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
}

presets=(native native-asan win32)
[ -f tests/fuzz/CMakeLists.txt ] && presets+=(fuzz)
for p in "${presets[@]}"; do run_preset "$p"; done

echo
[ ${#broken[@]} -eq 0 ] || echo "Problems: ${broken[*]}"
if [ "$total" -eq 0 ]; then
    echo "No tests ran."
    exit 1
fi
passed=$((total - failed))
pct=$((passed * 100 / total))
echo "All configurations: ${pct}% tests passed, ${failed} tests failed out of ${total}"
[ ${#broken[@]} -eq 0 ]
