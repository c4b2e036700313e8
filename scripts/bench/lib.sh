# shellcheck shell=bash
# Shared by scripts/bench.sh and its parts: messages, the figures of one run,
# arithmetic on them, and the list of targets missed. Sourced, not run.

me=bench

say() { echo "$me: $*" >&2; }
die() {
    echo "$me: $*" >&2
    exit 1
}

# The Windows builds measured: preset, the prefix of their figures, how the
# report names them, their toolchain and Wine's loader for them.
builds=(win32 win64)
declare -A arch_of=([win32]=x86 [win64]=x64)
declare -A build_label=([x86]="x86 (32-bit, under WOW64)" [x64]="x64")
declare -A toolchain_of=([win32]=i686-w64-mingw32 [win64]=x86_64-w64-mingw32)
declare -A loader_of=([win32]=wine [win64]=${wine64:-/usr/lib/wine/wine64})
arches=(x86 x64)
# The build whose figures name what both builds share (tree sizes, rounds).
lead=x86
# Why a build was not measured, by its arch: its figures then read "—".
declare -A not_measured=()

# only_64bit REASON: measures the x64 build alone.
only_64bit() {
    builds=(win64)
    arches=(x64)
    lead=x64
    not_measured[x86]=$1
}

# Every figure of the run, by name; Wine figures carry their build's prefix.
declare -A v
# load FILE [PREFIX]: "name value" lines into v, the name prefixed.
load() {
    local key value
    while read -r key value; do
        [[ -n $key && $key != \#* ]] && v[${2:-}$key]=$value
    done <"$1"
}
get() {
    if [[ -z ${v[$1]:-} && -n ${not_measured[${1%%.*}]:-} ]]; then echo "—"; else echo "${v[$1]:-}"; fi
}
need() {
    local key
    for key; do [[ -n ${v[$key]:-} ]] || die "no figure '$key' in $results"; done
}

# calc EXPRESSION [DECIMALS]: awk arithmetic on plain numbers.
calc() {
    if [[ $1 == *—* ]]; then echo "—"; else awk "BEGIN { printf \"%.${2:-2}f\", $1 }"; fi
}
is_true() { awk "BEGIN { exit !($1) }"; }
status() { if is_true "$1"; then echo "met"; else echo "**missed**"; fi; }
thousands() { sed ':a;s/\B[0-9]\{3\}\>/,&/;ta' <<<"$1"; }

# Targets missed, by name, in the order found; each part explains its own.
declare -a missed=()
# note_status STATUS NAME: records NAME as missed unless STATUS is met.
note_status() { [[ $1 == met ]] || missed+=("$2"); }

# spread KEY UNIT DECIMALS: "min–max (IQR q1–q3)" of a summary.
spread() {
    printf "%s–%s (IQR %s–%s)" "$(calc "$(get "$1.min_$2")" "$3")" "$(calc "$(get "$1.max_$2")" "$3")" \
        "$(calc "$(get "$1.q1_$2")" "$3")" "$(calc "$(get "$1.q3_$2")" "$3")"
}
