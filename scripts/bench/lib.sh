# shellcheck shell=bash
# Shared by scripts/bench.sh and its parts: messages, the figures of one run,
# arithmetic on them, and the targets missed. Every function echoes what it
# makes; the run's state lives in two files of $results, never in variables:
#   figures  "name value" lines, a later line overriding an earlier one;
#   missed   the names of the targets missed, in the order found.
# Sourced, not run.

me=bench

say() { echo "$me: $*" >&2; }
die() {
    echo "$me: $*" >&2
    exit 1
}

# The Windows builds: their presets, the prefix of their figures, how the
# report names them, their toolchain and Wine's loader for them.
declare -rA arch_of=([win32]=x86 [win64]=x64)
declare -rA build_label=([x86]="x86 (32-bit, under WOW64)" [x64]="x64")
declare -rA toolchain_of=([win32]=i686-w64-mingw32 [win64]=x86_64-w64-mingw32)
declare -rA loader_of=([win32]=wine [win64]=${wine64:-/usr/lib/wine/wine64})

# figure NAME: one figure as recorded, or nothing.
figure() {
    awk -v name="$1" '$1 == name { sub(/^[^ \t]+[ \t]*/, ""); value = $0; found = 1 } END { if (found) print value }' \
        "$results/figures" 2>/dev/null
}
# add_figure NAME VALUE: records a figure.
add_figure() { echo "$1 $2" >>"$results/figures"; }
# load FILE [PREFIX]: FILE's "name value" lines as figures, the names prefixed.
load() { awk -v prefix="${2:-}" 'NF && $1 !~ /^#/ { print prefix $0 }' "$1" >>"$results/figures"; }

# only_64bit REASON: the x86 build is not measured, for REASON.
only_64bit() { add_figure not_measured.x86 "$1"; }
# The builds measured: their presets, and their figures' prefixes.
presets() { if [[ -n $(figure not_measured.x86) ]]; then echo win64; else echo win32 win64; fi; }
arches() { if [[ -n $(figure not_measured.x86) ]]; then echo x64; else echo x86 x64; fi; }
# The build whose figures name what both builds share (tree sizes, rounds).
lead() { arches | cut -d' ' -f1; }

# get NAME: a figure, or "—" where its build was not measured.
get() {
    local value
    value=$(figure "$1")
    if [[ -z $value && -n $(figure "not_measured.${1%%.*}") ]]; then echo "—"; else echo "$value"; fi
}
need() {
    local name
    for name; do [[ -n $(figure "$name") ]] || die "no figure '$name' in $results/figures"; done
}

# calc EXPRESSION [DECIMALS]: awk arithmetic on plain numbers.
calc() {
    # A value that rounds to zero is written without a sign.
    if [[ $1 == *—* ]]; then echo "—"; else awk "BEGIN { r = sprintf(\"%.${2:-2}f\", $1); sub(/^-0\\.?0*$/, substr(r, 2), r); printf \"%s\", r }"; fi
}
is_true() { awk "BEGIN { exit !($1) }"; }
status() { if is_true "$1"; then echo "met"; else echo "**missed**"; fi; }
thousands() { sed ':a;s/\B[0-9]\{3\}\>/,&/;ta' <<<"$1"; }

# note_status STATUS NAME: records NAME as missed unless STATUS is met.
note_status() { [[ $1 == met ]] || echo "$2" >>"$results/missed"; }
# The targets missed, each once, in the order found.
misses() { awk '!seen[$0]++' "$results/missed" 2>/dev/null || true; }

# spread KEY UNIT DECIMALS: "min–max (IQR q1–q3)" of a summary.
spread() {
    printf "%s–%s (IQR %s–%s)" "$(calc "$(get "$1.min_$2")" "$3")" "$(calc "$(get "$1.max_$2")" "$3")" \
        "$(calc "$(get "$1.q1_$2")" "$3")" "$(calc "$(get "$1.q3_$2")" "$3")"
}
