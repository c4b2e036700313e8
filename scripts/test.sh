#!/usr/bin/env bash
# Runs every test layer from a clean or existing checkout:
#   a check that every function winsim imitates has a conformance test,
#   unit and conformance tests natively on winsim,
#   the same under AddressSanitizer and UndefinedBehaviorSanitizer,
#   the tests of the exports from several threads under ThreadSanitizer,
#   the unit tests under valgrind memcheck,
#   a bounded fuzzing pass over every fuzz target,
#   the conformance and end-to-end tests of the real 32-bit and 64-bit DLLs
#   under Wine, in a 64-bit prefix, at 24 and at 8 bits per pixel and at
#   144 and 192 DPI.
# The native layers run beside the Windows builds and Wine sessions, each
# lane with its own log, so that both cores are kept busy.
#
#   scripts/test.sh                    as this machine is
#   scripts/test.sh --as-without-32bit as a machine that cannot run 32-bit
#                                      programs, reproduced exactly (root)
#
# Installs what is missing first (see scripts/install-deps.sh). On a machine
# that cannot run 32-bit programs, the layers that run one are skipped and
# named, and the 32-bit build's checks that run nothing still run.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/machine.sh
if [[ ${1-} == --as-without-32bit ]]; then
    # Enters the namespace with the flag kept, and returns inside it with
    # the loader replaced, before anything below probes the machine.
    run_without_32bit scripts/test.sh "$@"
    shift
fi

# What install-deps says of wine32 is kept for the summary.
deps_log=$(mktemp)
scripts/install-deps.sh 2>&1 | tee "$deps_log"
wine32_error=$(sed -n 's/^install-deps: wine32:i386 could not be installed by any plan: //p' "$deps_log")
rm -f "$deps_log"
probe_32bit test.sh

jobs=$(nproc 2>/dev/null || echo 2)
results=build/test-results
rm -rf "$results"
mkdir -p "$results"
started=$SECONDS

# Every step adds one line "passed failed" to the counts, from either lane.
count() { echo "$1 $2" >>"$results/counts"; }

# Adds one or more ctest runs' counts; their own summaries stay in the log.
run_ctest() {
    local log rc=0
    log=$(mktemp)
    "$@" 2>&1 | tee "$log" || rc=${PIPESTATUS[0]}
    local total=0 bad=0 line
    while read -r line; do
        total=$((total + $(sed -E 's/.* out of ([0-9]+).*/\1/' <<<"$line")))
        bad=$((bad + $(sed -E 's/.*tests passed, ([0-9]+) tests failed.*/\1/' <<<"$line")))
    done < <(grep -E 'tests passed, [0-9]+ tests failed out of [0-9]+' "$log" || true)
    if ((total == 0 && rc != 0)); then bad=1; fi
    count $((total - bad)) "$bad"
    rm -f "$log"
    ((rc == 0 && bad == 0))
}

# Runs one GoogleTest program whole, every case in one process, and adds
# its cases to the counts: far cheaper than a process per case under the
# sanitizers. A program that ends without its summary counts as one failure.
run_gtest() {
    local log rc=0 passed failed
    log=$(mktemp)
    "$@" --gtest_brief=1 >"$log" 2>&1 || rc=$?
    passed=$(sed -n 's/^\[  PASSED  \] \([0-9]*\) tests\{0,1\}\..*/\1/p' "$log" | tail -n 1)
    failed=$(sed -n 's/^\[  FAILED  \] \([0-9]*\) tests\{0,1\}, listed below:.*/\1/p' "$log" | tail -n 1)
    if [[ -z $passed && -z $failed ]]; then failed=1; fi
    count "${passed:-0}" "${failed:-0}"
    echo "test.sh: $* -- ${passed:-0} passed, ${failed:-0} failed"
    if ((rc != 0)) || [[ ${failed:-0} != 0 ]]; then tail -n 60 "$log"; fi
    rm -f "$log"
    ((rc == 0))
}

# The native programs of one build tree, each run whole.
native_tests() {
    local tree=build/$1 status=0
    run_gtest "$tree/tests/unit/unit_tests" || status=1
    run_gtest "$tree/tests/unit/thread_tests" || status=1
    run_gtest "$tree/tests/conformance/conformance_tests" || status=1
    run_gtest env TARVEX_CONFORMANCE_DISPLAY_BITS=8 "$tree/tests/conformance/conformance_tests" \
        --gtest_filter="$(cat "$tree/tests/conformance/display8_filter")" || status=1
    if [[ -x $tree/bench/bench_support_tests ]]; then run_gtest "$tree/bench/bench_support_tests" || status=1; fi
    return "$status"
}

# Counts a whole step as one test.
run_step() {
    local name=$1
    shift
    echo "test.sh: $name ($((SECONDS - started)) s)"
    if "$@"; then
        count 1 0
    else
        echo "test.sh: $name FAILED" >&2
        count 0 1
        return 1
    fi
}

# build PRESET [BUILD_PRESET]: configures PRESET's tree and builds what
# BUILD_PRESET (by default PRESET) names. A build that fails counts as a
# failed test.
build() {
    local preset=$1 targets=${2:-$1}
    echo "test.sh: building the $targets preset ($((SECONDS - started)) s)"
    if ! { cmake --preset "$preset" >/dev/null && cmake --build --preset "$targets" -j "$jobs"; }; then
        echo "test.sh: building the $targets preset FAILED" >&2
        count 0 1
        return 1
    fi
}

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
        memcheck build/native/tests/unit/thread_tests &&
        memcheck build/native/tests/conformance/conformance_tests
}

# ThreadSanitizer maps its shadow memory at fixed addresses, which some
# kernels' address randomisation collides with: the run goes without it.
tsan_tests() { setarch "$(uname -m)" -R ctest --preset native-tsan; }

native_lane() {
    build native && native_tests native || true
    build native-asan && native_tests native-asan || true
    # The fuzzing pass runs one target at a time, as memcheck runs one
    # program: side by side, with the ThreadSanitizer build.
    run_step "bounded fuzzing pass" scripts/fuzz.sh "${FUZZ_SECONDS:-20}" >"$results/fuzz.log" 2>&1 &
    local fuzz_pid=$!
    build native-tsan && run_ctest tsan_tests || true
    run_step "valgrind memcheck of the unit, thread and conformance tests" memcheck_all || true
    wait "$fuzz_pid" || true
    cat "$results/fuzz.log"
    echo "test.sh: the native layers ended ($((SECONDS - started)) s)"
}

# The Wine sessions, one server start each: depth, DPI ("-" for none) and
# the ctest labels they run. The wineserver reads the depth and the DPI when
# it starts, so each pair is a session of its own; both builds share it.
sessions=(
    "24 - -LE display8|^dpi"
    "8 - -L ^display8$"
    "24 144 -L ^dpi144$"
    "24 192 -L ^dpi192$"
    "8 192 -L ^dpi192display8$"
)

# One Wine session: the ctest runs of every build in `builds` with one filter.
wine_session() {
    local depth=$1 dpi=$2 flag=$3 labels=$4 preset script="export GTEST_BRIEF=1; status=0"
    local options=(--depth "$depth" --prefix "$PWD/build/wine/prefix")
    [[ $dpi == - ]] || options+=(--dpi "$dpi")
    echo "test.sh: the Wine session at $depth bits per pixel and ${dpi/#-/96} DPI, $flag $labels ($((SECONDS - started)) s)"
    for preset in "${builds[@]}"; do
        script+="; ctest --preset $preset -j $jobs $flag $(printf '%q' "$labels") || status=1"
    done
    run_ctest scripts/wine-session.sh "${options[@]}" -- bash -c "$script; exit \$status"
}

# Every Wine layer runs in one 64-bit prefix, made fresh for this run, as on
# nearly every Windows machine: the 64-bit build natively, the 32-bit one
# under WOW64.
wine_sessions() {
    local session
    builds=("$@")
    run_step "the 64-bit Wine layer as a machine without 32-bit programs sees it" \
        tests/machine/without_32bit_test.sh || true
    rm -rf build/wine
    for session in "${sessions[@]}"; do
        # shellcheck disable=SC2086  # four words
        wine_session $session || true
    done
}

# What reads the 32-bit build without running it: PE headers, exports and
# imports, the reproducible build, both import libraries. Only what ships is
# built: the tests' programs would run nothing here.
win32_checks() {
    build win32 win32-shipped || return 0
    run_ctest ctest --preset win32 -LE wine -j "$jobs" || true
    ctest --preset win32 -N -L wine | sed -n 's/^Total Tests: //p' >"$results/skipped"
}

windows_lane() {
    if ((runs_32bit)); then
        build win32 && build win64 && wine_sessions win32 win64
        return
    fi
    # The 32-bit build runs nothing here: it builds while the sessions wait on Wine.
    build win64 || return 0
    win32_checks >"$results/win32.log" 2>&1 &
    local win32_pid=$!
    wine_sessions win64
    wait "$win32_pid" || true
    echo "test.sh: the 32-bit build, from $results/win32.log:"
    cat "$results/win32.log"
    scripts/wine-session.sh --prefix "$PWD/build/wine/prefix" -- scripts/skipped-cases.sh >"$results/skipped-cases" ||
        echo "test.sh: the skipped cases could not be counted" >&2
}

run_step "every function winsim imitates is called by a conformance test" scripts/check-conformance-coverage.sh || true

native_lane >"$results/native.log" 2>&1 &
native_pid=$!
windows_lane
echo "test.sh: the Windows layers ended ($((SECONDS - started)) s)"
wait "$native_pid" || true
echo
echo "test.sh: the native layers (unit, conformance, sanitizers, valgrind, fuzz), from $results/native.log:"
cat "$results/native.log"

passed=0 failed=0
while read -r p f; do
    passed=$((passed + p))
    failed=$((failed + f))
done <"$results/counts"
skipped=$(cat "$results/skipped" 2>/dev/null || echo 0)
echo
echo "test.sh: the whole run took $((SECONDS - started)) s"
if ((skipped)); then
    echo "test.sh: skipped $skipped tests of the 32-bit build, each with its GoogleTest cases:"
    grep -v '^total ' "$results/skipped-cases" 2>/dev/null | sed 's/^/    /' || true
    echo "test.sh: skipped $skipped tests ($(sed -n 's/^total //p' "$results/skipped-cases" 2>/dev/null) cases)," \
        "the 32-bit build's Wine layers (conformance, end-to-end, release and README hosts at 24 and 8 bits" \
        "per pixel, the logo at 144 and 192 DPI): $no_32bit_reason"
    # The last line but one: such a machine could run them.
    if ((wine32_missing)); then
        echo "test.sh: WARNING: this machine runs 32-bit programs, but Wine's 32-bit half is missing, so the 32-bit" \
            "build's Wine layers did not run: ${wine32_error:-wine32:i386 is not installed}"
    fi
    echo "summary: $passed passed, $failed failed, $skipped skipped"
else
    echo "summary: $passed passed, $failed failed"
fi
((failed == 0))
