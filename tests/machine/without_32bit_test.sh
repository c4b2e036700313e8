#!/usr/bin/env bash
# The 64-bit Wine layer on a machine that cannot run 32-bit programs,
# reproduced on this one (scripts/machine.sh, run_without_32bit): the machine
# probe must see that machine, a fresh prefix made there must have no 32-bit
# half, and the 64-bit conformance tests must pass in it.
set -euo pipefail
cd "$(dirname "$0")/../.."
source scripts/machine.sh
run_without_32bit tests/machine/without_32bit_test.sh

fail() {
    echo "without_32bit_test: $*" >&2
    exit 1
}

line=$(probe_32bit without_32bit_test)
echo "$line"
# The kernel probe fails first, as the kernel of such a machine makes it.
[[ $line == *"cannot run 32-bit programs (an i386 program: Exec format error, exit 126)"* ]] ||
    fail "the machine probe did not see a machine without 32-bit programs"
[[ ! -e $wine32 || $("$wine32" --version 2>&1 || true) == *"Exec format error"* ]] ||
    fail "the 32-bit loader still starts by its absolute path"

work=$PWD/build/wine/without-32bit
rm -rf "$work"
mkdir -p "$work"
scripts/wine-session.sh --prefix "$work/prefix" -- ctest --preset win64 -R '^conformance_wine$' --output-on-failure ||
    fail "the 64-bit conformance layer failed (prefix log: $work/prefix-create.log)"
# The 32-bit half of a prefix is what the 32-bit side of wineboot puts there.
wow64=$work/prefix/drive_c/windows/syswow64
if [[ -n $(find "$wow64" -maxdepth 1 -type f \( -iname '*.dll' -o -iname '*.exe' \) -print -quit 2>/dev/null) ]]; then
    fail "the prefix has a 32-bit half: $wow64 holds programs"
fi
echo "without_32bit_test: the prefix has no 32-bit half, and the 64-bit conformance layer passed"
