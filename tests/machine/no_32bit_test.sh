#!/usr/bin/env bash
# The 64-bit Wine layer on a machine that cannot run 32-bit programs, seen
# from this one: a PATH shim whose wine fails as the 32-bit loader fails
# there. The run must see that machine, make its own prefix and pass the
# 64-bit conformance tests without ever starting the 32-bit loader.
set -euo pipefail
cd "$(dirname "$0")/../.."
source scripts/machine.sh

work=$PWD/build/wine/no-32bit
rm -rf "$work"
mkdir -p "$work"
export TARVEX_SHIM_LOG=$work/shim-calls.log
export PATH=$PWD/tests/machine/no-32bit:$PATH
fail() {
    echo "no_32bit_test: $*" >&2
    exit 1
}

line=$(probe_32bit no_32bit_test)
echo "$line"
[[ $line == *"cannot run 32-bit programs"*"Exec format error, exit 126"* ]] ||
    fail "the machine probe did not see the shim"
: >"$TARVEX_SHIM_LOG"

scripts/wine-session.sh --prefix "$work/prefix" -- ctest --preset win64 -R '^conformance_wine$' --output-on-failure ||
    fail "the 64-bit conformance layer failed (prefix log: $work/prefix-create.log)"
if [[ -s $TARVEX_SHIM_LOG ]]; then
    fail "the 32-bit loader was asked for: $(paste -sd';' "$TARVEX_SHIM_LOG")"
fi
