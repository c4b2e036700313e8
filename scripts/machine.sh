# shellcheck shell=bash
# What this machine runs, asked once at the start of a run. Some kernels
# refuse every 32-bit program; Debian's `wine`, `wineboot` and `wine reg` then
# fail even for a 64-bit prefix, since they start the 32-bit loader whenever
# wine32 is installed. Sourced by the scripts, not run.

# Wine's 64-bit loader, which Debian keeps off PATH. The prefix and every
# 64-bit program go through it, so nothing 64-bit needs the 32-bit loader.
wine64=${TARVEX_WINE64:-/usr/lib/wine/wine64}

# probe_32bit NAME: really starts a 32-bit program (`wine --version` through
# PATH), sets runs_32bit to 1 or 0 and no_32bit_reason, and prints one line.
probe_32bit() {
    local answer rc=0
    answer=$(wine --version 2>&1 </dev/null) || rc=$?
    # The loader's own complaint is its last line; the wrapper's path goes.
    answer=$(tail -n 1 <<<"$answer" | sed 's/^.*: \([^:]*\)$/\1/')
    if ((rc == 0)); then
        runs_32bit=1
        no_32bit_reason=
        echo "$1: this machine runs 32-bit programs (wine --version: $answer)"
    else
        runs_32bit=0
        no_32bit_reason="this machine cannot run 32-bit programs (wine --version: $answer, exit $rc)"
        echo "$1: $no_32bit_reason"
    fi
}
