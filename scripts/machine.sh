# shellcheck shell=bash
# What this machine runs, asked once at the start of a run. Some kernels
# refuse every 32-bit program; Debian's `wine`, `wineboot` and `wine reg` then
# fail even for a 64-bit prefix, since they start the 32-bit loader whenever
# wine32 is installed. Sourced by the scripts, not run.

# Wine's 64-bit loader, which Debian keeps off PATH. The prefix and every
# 64-bit program go through it, so nothing 64-bit needs the 32-bit loader.
wine64=${TARVEX_WINE64:-/usr/lib/wine/wine64}
# The 32-bit loader that Debian's `wine` starts when wine32 is installed.
wine32=/usr/lib/wine/wine

# probe_32bit NAME: really starts a 32-bit program (`wine --version` through
# PATH), sets runs_32bit to 1 or 0 and no_32bit_reason, and prints one line.
probe_32bit() {
    local answer rc=0
    # Without wine32, Debian's `wine` falls back on the 64-bit loader, and
    # `wine --version` would pass for a 32-bit program that never ran.
    if [[ ! -x $wine32 ]]; then
        runs_32bit=0
        no_32bit_reason="Wine's 32-bit loader is not installed ($wine32, from the package wine32:i386)"
        echo "$1: $no_32bit_reason"
        return 0
    fi
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

# run_without_32bit SCRIPT ARGS...: runs SCRIPT ARGS as a machine whose kernel
# refuses every 32-bit program would, and exits with its status. In a
# private mount namespace the 32-bit loader's files are replaced by a program
# that fails as the kernel does there ("Exec format error", exit 126), so
# that every way to a 32-bit program fails, by absolute path as through the
# PATH; the namespace, and so the replacement, ends with the run. Where the
# namespace or the mount is refused, says so in one line and stops: there is
# no weaker imitation.
run_without_32bit() {
    if [[ ${TARVEX_WITHOUT_32BIT-} != inside ]]; then
        if ! unshare --mount --propagation private true 2>/dev/null; then
            echo "$1: cannot run as a machine without 32-bit programs: a private mount namespace was refused (unshare --mount needs root)" >&2
            exit 1
        fi
        TARVEX_WITHOUT_32BIT=inside exec unshare --mount --propagation private bash "$@"
    fi
    local refusal loader
    refusal=$(mktemp "${TMPDIR:-/tmp}/exec-format-error.XXXXXX")
    printf '#!/bin/sh\necho "$0: cannot execute binary file: Exec format error" >&2\nexit 126\n' >"$refusal"
    chmod 755 "$refusal"
    for loader in "$wine32" /usr/lib/wine/wine-preloader; do
        [[ -e $loader ]] || continue
        if ! mount --bind "$refusal" "$loader" 2>/dev/null; then
            echo "$1: cannot run as a machine without 32-bit programs: $loader could not be replaced (mount --bind refused)" >&2
            exit 1
        fi
    done
    echo "$1: running as a machine that cannot run 32-bit programs (the 32-bit loader fails with Exec format error in this run's mount namespace)"
}
