#!/usr/bin/env bash
# check-conformance-coverage.sh
#
# Every function winsim's windows.h declares must be called by at least one
# conformance test (tests/conformance), since only those tests show that
# winsim behaves as the platform does. Lists what is not called and fails
# then; also fails when the README states another count of functions.
set -euo pipefail
cd "$(dirname "$0")/.."

header=winsim/include/windows.h
tests=tests/conformance
readme=README.md

# Declarations: a return type, WINAPI, the name, its parameters.
mapfile -t functions < <(grep -oE 'WINAPI[[:space:]]+[A-Za-z_][A-Za-z0-9_]*[[:space:]]*\(' "$header" |
    sed -E 's/WINAPI[[:space:]]+([A-Za-z0-9_]+).*/\1/' | sort -u)
((${#functions[@]} > 0)) || { echo "coverage: no function declarations found in $header" >&2; exit 1; }

# The tests' sources without their comments, so a name in a comment counts
# for nothing.
sources=$(find "$tests" -type f \( -name '*.cpp' -o -name '*.h' \) -print0 | xargs -0 cat |
    sed -E 's://.*$::')

missing=()
for name in "${functions[@]}"; do
    grep -qE "(^|[^A-Za-z0-9_])${name}[[:space:]]*\(" <<<"$sources" || missing+=("$name")
done

count=${#functions[@]}
covered=$((count - ${#missing[@]}))
echo "coverage: winsim imitates $count functions; $covered are called by conformance tests"
status=0
if ((${#missing[@]} > 0)); then
    echo "coverage: no conformance test calls:" >&2
    printf '  %s\n' "${missing[@]}" >&2
    status=1
fi

stated=$(grep -oE 'imitates [0-9]+ functions' "$readme" | head -n 1 | grep -oE '[0-9]+' || true)
if [[ $stated != "$count" ]]; then
    echo "coverage: $readme says winsim imitates ${stated:-no number of} functions, $header declares $count" >&2
    status=1
fi
exit "$status"
