#!/usr/bin/env bash
# Runs every test layer from a clean or existing checkout:
#   a check that every function winsim imitates has a conformance test,
#   unit and conformance tests natively on winsim,
#   the same under AddressSanitizer and UndefinedBehaviorSanitizer,
#   the unit tests under valgrind memcheck,
#   a bounded fuzzing pass over every fuzz target,
#   the conformance and end-to-end tests of the real 32-bit and 64-bit DLLs
#   under Wine, in a 64-bit prefix, at 24 and at 8 bits per pixel.
# Installs what is missing first (see scripts/install-deps.sh). On a machine
# that cannot run 32-bit programs, the layers that run one are skipped and
# named, and the 32-bit build's checks that run nothing still run.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/machine.sh

scripts/install-deps.sh
probe_32bit test.sh

jobs=$(nproc 2>/dev/null || echo 2)
passed=0
failed=0
skipped=0
status=0

# Adds one ctest run's counts to the totals; its own summary stays in the log.
run_ctest() {
    local log
    log=$(mktemp)
    set +e
    "$@" 2>&1 | tee "$log"
    local rc=${PIPESTATUS[0]}
    set -e
    local line
    line=$(grep -E 'tests passed, [0-9]+ tests failed out of [0-9]+' "$log" | tail -n 1 || true)
    if [[ -n $line ]]; then
        local total bad
        total=$(sed -E 's/.* out of ([0-9]+).*/\1/' <<<"$line")
        bad=$(sed -E 's/.*tests passed, ([0-9]+) tests failed.*/\1/' <<<"$line")
        passed=$((passed + total - bad))
        failed=$((failed + bad))
    elif ((rc != 0)); then
        failed=$((failed + 1))
    fi
    ((rc == 0)) || status=1
    rm -f "$log"
}

# Counts a whole step as one test.
run_step() {
    local name=$1
    shift
    echo "test.sh: $name"
    if "$@"; then
        passed=$((passed + 1))
    else
        echo "test.sh: $name FAILED" >&2
        failed=$((failed + 1))
        status=1
    fi
}

build() {
    local preset=$1
    echo "test.sh: building the $preset preset"
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" -j "$jobs"
}

run_step "every function winsim imitates is called by a conformance test" scripts/check-conformance-coverage.sh

build native
run_ctest ctest --preset native -j "$jobs"

build native-asan
run_ctest ctest --preset native-asan -j "$jobs"

# Death tests fork and end the child at once, and the random-tree property
# test runs three of its seeds (all of them run natively and under ASan);
# memcheck checks everything else.
memcheck() {
    valgrind -q --error-exitcode=1 --leak-check=full --errors-for-leak-kinds=definite \
        --suppressions=tests/valgrind.supp "$@" --gtest_brief=1 >/dev/null
}
memcheck_all() {
    memcheck build/native/tests/unit/unit_tests --gtest_filter=-*DeathTest*:*CopyPropertyTest* &&
        memcheck build/native/tests/unit/unit_tests \
            --gtest_filter='*CopyPropertyTest*/0:*CopyPropertyTest*/1:*CopyPropertyTest*/2' &&
        memcheck build/native/tests/conformance/conformance_tests
}
run_step "valgrind memcheck of the unit and conformance tests" memcheck_all

run_step "bounded fuzzing pass" scripts/fuzz.sh "${FUZZ_SECONDS:-20}"

build win32
build win64

# The Wine layers as another machine sees them: no 32-bit programs at all.
run_step "the 64-bit Wine layers where 32-bit programs cannot run (PATH shim)" tests/machine/no_32bit_test.sh

# Every Wine layer runs in one 64-bit prefix, made fresh for this run, as on
# nearly every Windows machine: the 64-bit build natively, the 32-bit one
# under WOW64.
rm -rf build/wine
prefix=$PWD/build/wine/prefix
wine_builds=(win32 win64)
if ((!runs_32bit)); then
    wine_builds=(win64)
    # What reads the 32-bit build without running it: PE headers, exports
    # and imports, the reproducible build, both import libraries.
    run_ctest ctest --preset win32 -LE wine
    skipped=$(ctest --preset win32 -N -L wine | sed -n 's/^Total Tests: //p')
fi
for preset in "${wine_builds[@]}"; do
    run_ctest scripts/wine-session.sh --depth 24 --prefix "$prefix" -- ctest --preset "$preset" -LE 'display8|^dpi'
done
for preset in "${wine_builds[@]}"; do
    run_ctest scripts/wine-session.sh --depth 8 --prefix "$prefix" -- ctest --preset "$preset" -L '^display8$'
done
# The logo at 144 and 192 DPI: the wineserver reads the DPI when it starts,
# so each is a session of its own.
for preset in "${wine_builds[@]}"; do
    for dpi in 144 192; do
        run_ctest scripts/wine-session.sh --depth 24 --dpi "$dpi" --prefix "$prefix" -- \
            ctest --preset "$preset" -L "^dpi$dpi\$"
    done
    run_ctest scripts/wine-session.sh --depth 8 --dpi 192 --prefix "$prefix" -- \
        ctest --preset "$preset" -L '^dpi192display8$'
done

echo
if ((skipped)); then
    echo "test.sh: skipped $skipped tests, the 32-bit build's Wine layers (conformance, end-to-end," \
        "release and README hosts at 24 and 8 bits per pixel, the logo at 144 and 192 DPI): $no_32bit_reason"
    echo "summary: $passed passed, $failed failed, $skipped skipped"
else
    echo "summary: $passed passed, $failed failed"
fi
exit "$status"
