#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a bounded time.
#   scripts/fuzz.sh [SECONDS]     default 30 seconds per target
#   FUZZ_BUILD_DIR=build/mine scripts/fuzz.sh    builds and works there instead of build/fuzz
# New inputs go to a scratch corpus in the build tree; the seeds in
# fuzz/corpus/<target> stay as they are. A crash leaves its input in
# <build>/findings/<target>/ and fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
build=${FUZZ_BUILD_DIR:-build/fuzz}

scripts/install-deps.sh
cmake --preset fuzz -B "$build" >/dev/null
cmake --build "$build" -j "$(nproc 2>/dev/null || echo 2)"

status=0
for target in "$build"/fuzz/*_fuzz; do
    name=$(basename "$target")
    work=$build/corpus/$name
    findings=$build/findings/$name
    mkdir -p "$work" "$findings"
    log=$build/$name.log
    echo "fuzz: $name for ${seconds}s"
    if "$target" -max_total_time="$seconds" -max_len=4096 -timeout=10 -rss_limit_mb=2048 \
        -artifact_prefix="$findings/" "$work" "fuzz/corpus/$name" >"$log" 2>&1; then
        runs=$(grep -oE 'Done [0-9]+ runs' "$log" | tail -n 1 | grep -oE '[0-9]+' || echo 0)
        echo "fuzz: $name passed, $runs executions"
    else
        echo "fuzz: $name FAILED; see $log and $findings" >&2
        tail -n 40 "$log" >&2
        status=1
    fi
done
exit "$status"
