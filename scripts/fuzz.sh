#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a bounded time.
#   scripts/fuzz.sh [SECONDS]     default 30 seconds per target
# New inputs go to a scratch corpus in the build tree; the seeds in
# fuzz/corpus/<target> stay as they are. A crash leaves its input in
# build/fuzz/findings/<target>/ and fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}

scripts/install-deps.sh
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$(nproc 2>/dev/null || echo 2)"

status=0
for target in build/fuzz/fuzz/*_fuzz; do
    name=$(basename "$target")
    work=build/fuzz/corpus/$name
    findings=build/fuzz/findings/$name
    mkdir -p "$work" "$findings"
    log=build/fuzz/$name.log
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
