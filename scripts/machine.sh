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

# The kernel is asked by running a static i386 program of 96 bytes that
# exits with 42, written here rather than built, so that no i386 compiler or
# package is needed: an ELF header, one loadable segment, and exit(42)
# through int 0x80. It lives at one path per checkout, so that a run as a
# machine without 32-bit programs can put the refusal in its place.
tarvex_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
i386_probe=$tarvex_root/build/machine/i386-exit42
i386_probe_elf='\x7f\x45\x4c\x46\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00'
i386_probe_segment='\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08\x60\x00\x00\x00\x60\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00'
i386_probe_code='\xb8\x01\x00\x00\x00\xbb\x2a\x00\x00\x00\xcd\x80'

# write_i386_probe: puts the probe program in place when it is not there.
write_i386_probe() {
    [[ -e $i386_probe ]] && return 0
    local staged
    mkdir -p "${i386_probe%/*}"
    staged=$(mktemp "$i386_probe.XXXXXX")
    printf "$i386_probe_elf$i386_probe_segment$i386_probe_code" >"$staged"
    chmod 755 "$staged"
    mv -f "$staged" "$i386_probe"
}

# probe_kernel_32bit: sets kernel_32bit to 1 when the kernel runs the probe
# program, else to 0 with kernel_answer saying how it refused.
probe_kernel_32bit() {
    local rc=0
    write_i386_probe
    kernel_answer=$("$i386_probe" 2>&1 </dev/null) || rc=$?
    if ((rc == 42)); then
        kernel_32bit=1
        kernel_answer=
    else
        kernel_32bit=0
        # bash's complaint names the program; what it says of it is enough.
        kernel_answer="$(tail -n 1 <<<"$kernel_answer" | sed 's/^.*: \([^:]*\)$/\1/'), exit $rc"
    fi
}

# probe_32bit NAME: asks the kernel (a static i386 program) and Wine's
# 32-bit loader (`wine --version`) apart; sets runs_32bit to 1 when both
# run, else 0 with no_32bit_reason; sets wine32_missing to 1 when only the
# loader is missing, a machine where the x86 layers could run but do not.
# Prints one line.
probe_32bit() {
    local answer rc=0
    runs_32bit=0
    wine32_missing=0
    probe_kernel_32bit
    if ((!kernel_32bit)); then
        no_32bit_reason="this machine cannot run 32-bit programs (an i386 program: $kernel_answer)"
    elif [[ ! -x $wine32 ]]; then
        # Without wine32, Debian's `wine` falls back on the 64-bit loader, and
        # `wine --version` would pass for a 32-bit program that never ran.
        wine32_missing=1
        no_32bit_reason="this machine runs 32-bit programs, but Wine's 32-bit loader is not installed ($wine32, from the package wine32:i386)"
    else
        answer=$(wine --version 2>&1 </dev/null) || rc=$?
        # The loader's own complaint is its last line; the wrapper's path goes.
        answer=$(tail -n 1 <<<"$answer" | sed 's/^.*: \([^:]*\)$/\1/')
        if ((rc == 0)); then
            runs_32bit=1
            no_32bit_reason=
            echo "$1: this machine runs 32-bit programs (an i386 program ran; wine --version: $answer)"
            return 0
        fi
        no_32bit_reason="this machine runs 32-bit programs, but Wine's 32-bit loader does not start (wine --version: $answer, exit $rc)"
    fi
    echo "$1: $no_32bit_reason"
}

# run_without_32bit SCRIPT ARGS...: runs SCRIPT ARGS as a machine whose kernel
# refuses every 32-bit program would, and exits with its status. In a
# private mount namespace the probe program and the 32-bit loader's files are
# replaced by a program that fails as the kernel does there ("Exec format
# error", exit 126), so that every way to a 32-bit program fails, by
# absolute path as through the PATH; the namespace, and so the replacement,
# ends with the run. SCRIPT calls this again first thing inside, with the
# same arguments, and it returns there. A script that SCRIPT starts and that
# calls it makes a namespace of its own: the mark is for SCRIPT's process
# alone. Where the namespace or the mount is refused, says so in one line
# and stops: there is no weaker imitation.
run_without_32bit() {
    if [[ ${TARVEX_WITHOUT_32BIT-} != "$$" ]]; then
        if ! unshare --mount --propagation private true 2>/dev/null; then
            echo "$1: cannot run as a machine without 32-bit programs: a private mount namespace was refused (unshare --mount needs root)" >&2
            exit 1
        fi
        # unshare without --fork runs SCRIPT in this very process: same pid.
        TARVEX_WITHOUT_32BIT=$$ exec unshare --mount --propagation private bash "$@"
    fi
    unset TARVEX_WITHOUT_32BIT
    local refusal loader
    refusal=$(mktemp "${TMPDIR:-/tmp}/exec-format-error.XXXXXX")
    printf '#!/bin/sh\necho "$0: cannot execute binary file: Exec format error" >&2\nexit 126\n' >"$refusal"
    chmod 755 "$refusal"
    write_i386_probe
    for loader in "$i386_probe" "$wine32" /usr/lib/wine/wine-preloader; do
        [[ -e $loader ]] || continue
        if ! mount --bind "$refusal" "$loader" 2>/dev/null; then
            echo "$1: cannot run as a machine without 32-bit programs: $loader could not be replaced (mount --bind refused)" >&2
            exit 1
        fi
    done
    echo "$1: running as a machine that cannot run 32-bit programs (32-bit programs fail with Exec format error in this run's mount namespace)"
}
