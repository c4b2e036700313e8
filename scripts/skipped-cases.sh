#!/usr/bin/env bash
# Names the 32-bit build's Wine tests, which a machine without 32-bit
# programs cannot run, and counts their GoogleTest cases: each gtest program
# of the 64-bit build (the same sources) lists its cases for the same filter;
# an entry that runs no gtest program counts as one case. Run inside a Wine
# session. Prints "NAME CASES" a line, then "total N".
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/machine.sh

total=0
while IFS= read -r line; do
    if [[ $line =~ ^[0-9]+:\ Test\ command:\ (.*)$ ]]; then
        command=${BASH_REMATCH[1]}
    elif [[ $line =~ Test\ +#[0-9]+:\ (.+)$ ]]; then
        name=${BASH_REMATCH[1]}
        cases=1
        if [[ $command =~ \"([^\"]*/build/)win32(/[^\"]*_tests\.exe)\"(\ \"(--gtest_filter=[^\"]*)\")? ]]; then
            program=${BASH_REMATCH[1]}win64${BASH_REMATCH[2]}
            cases=$("$wine64" "$program" --gtest_list_tests ${BASH_REMATCH[4]:+"${BASH_REMATCH[4]}"} 2>/dev/null |
                tr -d '\r' | grep -c '^  ' || true)
        fi
        echo "$name $cases"
        total=$((total + cases))
    fi
done < <(ctest --preset win32 -N -V -L wine 2>/dev/null)
echo "total $total"
