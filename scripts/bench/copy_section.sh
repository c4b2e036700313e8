# shellcheck shell=bash
# The defaults copy against SHCopyKeyA under Wine, for each build: rows,
# report and the explanation of its misses. Sourced, not run.

# Registry calls of one copy of the Wine tree: the library's counted on
# winsim (the same tree, copied once by the start-up's own copy); SHCopyKeyA's
# as a relay trace under Wine showed them, at either start: per key one
# RegQueryInfoKeyW, per value RegEnumValueW and RegSetValueExW, per subkey
# RegEnumKeyExW, RegOpenKeyExW, RegCreateKeyW and two RegCloseKey, nothing for
# the end of a list; both with the two tops opened and closed (4 calls).
platform_calls() {
    local keys values
    keys=$(get "$(lead).copy.keys")
    values=$(get "$(lead).copy.values")
    echo $((4 + keys + 2 * values + 5 * (keys - 1)))
}
# by_count first|warm: the ratio the call counts alone predict.
by_count() { calc "$(get "copy_calls.$1.1000") / $(platform_calls)"; }
# per_call ARCH COPY: a copy's median time over its registry calls, in µs.
per_call() {
    local calls
    case $2 in
    platform_*) calls=$(platform_calls) ;;
    library_*) calls=$(get "copy_calls.${2#library_}.1000") ;;
    esac
    calc "$(get "$1.copy.$2.median_ms") * 1000 / $calls" 1
}
call_cost() { calc "$(get "$1.call.$2.median_us")" 2; }
# fastest ARCH A B: ratio of the two copies' fastest rounds.
fastest() { calc "$(get "$1.copy.$2.min_ms") / $(get "$1.copy.$3.min_ms")"; }
# pct_dearer ARCH A B: how much call A cost against call B, in words.
pct_dearer() {
    local pct
    pct=$(calc "($(get "$1.call.$2.median_us") / $(get "$1.call.$3.median_us") - 1) * 100" 0)
    if ((pct > 0)); then echo "$pct% dearer"; elif ((pct < 0)); then echo "$((-pct))% cheaper"; else echo "as dear"; fi
}

# copy_target START: the warm copy must not be slower than the platform's.
copy_target() { if [[ $1 == warm ]]; then echo 1.0; else echo 1.5; fi; }
# copy_ok ARCH START: whether the copy met its target.
copy_ok() { status "$(get "$1.ratio.library_$2.median_x") <= $(copy_target "$2")"; }
copy_prepare() {
    local arch start
    for arch in $(arches); do
        need "$arch.copy.library_first.median_ms" "$arch.ratio.library_warm.median_x" "$arch.call.RegQueryInfoKeyA.median_us" \
            "$arch.ratio.library_warm.ci_low_x" "$arch.ansi.RegOpenKeyEx.extra_us"
        for start in first warm; do note_status "$(copy_ok "$arch" "$start")" "copy_$start.$arch"; done
    done
}
copy_rows() {
    local arch=$1 start label platform_label target
    for start in first warm; do
        label="first start" platform_label="into an empty key" target="≤ 1.5×"
        [[ $start == warm ]] && label="warm start" platform_label="over a complete copy" target="≤ 1.0×"
        echo "| $arch | CopyKeyTree, $label | $(calc "$(get "$arch.copy.library_$start.median_ms")") ms | $(spread "$arch.copy.library_$start" ms 1) | **$(calc "$(get "$arch.ratio.library_$start.median_x")" 3)×** ($(calc "$(get "$arch.ratio.library_$start.q1_x")")–$(calc "$(get "$arch.ratio.library_$start.q3_x")")) | $(fastest "$arch" "library_$start" "platform_$start")× | $target | $(copy_ok "$arch" "$start") |"
        echo "| $arch | SHCopyKeyA, $platform_label | $(calc "$(get "$arch.copy.platform_$start.median_ms")") ms | $(spread "$arch.copy.platform_$start" ms 1) | 1× | 1× | | |"
    done
}

copy_report() {
    local arch kind
    local calls=(RegEnumValueA RegEnumValueW RegQueryValueExA_present RegQueryValueExA_missing RegQueryValueExA_size_only
        RegSetValueExW_same RegSetValueExA_same RegQueryInfoKeyA)
    cat <<EOF
## Defaults copy against SHCopyKeyA (Wine, one process per build)

The library's \`RegKey::CopyKeyTree\`, opened as the start-up opens it, against
\`SHCopyKeyA\` on the same tree of $(thousands "$(get "$(lead).copy.values")") string values in $(get "$(lead).copy.keys") keys (10 per key, fan-out 10),
$(get "$(lead).copy.runs") rounds after one warm-up round, the two copiers in turn within each round,
in each build's own process: the x86 build under WOW64, the x64 build natively.
First start: the destination is empty. Warm start: the destination already
holds everything; the library then writes nothing, while SHCopyKeyA, which
has no "only missing" mode, writes every value again.

| Build | Measure | Median | Spread over the rounds: min–max (IQR) | Ratio to SHCopyKeyA: median of the per-round ratios (IQR) | Ratio of the fastest rounds | Target | Status |
|---|---|---|---|---|---|---|---|
$(for arch in $(arches); do copy_rows "$arch"; done)

The status goes by the median of the per-round ratios. Other work on the
machine only ever adds time, so the ratio of the fastest rounds is the
better estimate of the copies' own costs when the two disagree.

Single registry calls under this Wine, median per call (each a round trip to
the wineserver):

| Build | RegEnumValueA | RegEnumValueW | RegQueryValueExA, value present | RegQueryValueExA, value missing | RegQueryValueExA, type and size only | RegSetValueExW, same data again | RegSetValueExA, same data again | RegQueryInfoKeyA |
|---|---|---|---|---|---|---|---|---|
$(for arch in $(arches); do
        printf '| %s |' "$arch"
        for kind in "${calls[@]}"; do printf ' %s µs |' "$(call_cost "$arch" "$kind")"; done
        echo
    done)

What the ANSI form of a call costs more than its wide form, for the same
request of the wineserver: each pair timed one call right after the other,
in turns first, $(get "$(lead).ansi.pairs") pairs; medians of the differences (IQR), and of the wide form:

| Build | RegEnumValueA | RegQueryValueExA | RegSetValueExA | RegOpenKeyExA and RegCloseKey |
|---|---|---|---|---|
$(for arch in $(arches); do
        printf '| %s |' "$arch"
        for kind in RegEnumValue RegQueryValueEx RegSetValueEx RegOpenKeyEx; do
            printf ' %s µs (%s–%s) of %s µs |' "$(calc "$(get "$arch.ansi.$kind.extra_us")" 2)" \
                "$(calc "$(get "$arch.ansi.$kind.extra_q1_us")" 1)" "$(calc "$(get "$arch.ansi.$kind.extra_q3_us")" 1)" \
                "$(calc "$(get "$arch.ansi.$kind.wide_us")" 1)"
        done
        echo
    done)

**Where the time goes.** Under Wine every registry call is a round trip to
the wineserver, and the calls cost about alike (table above), so each copy
costs about its number of calls: the medians above come to $(per_call x86 platform_first) µs per call
for SHCopyKeyA and $(per_call x86 library_first) µs for the library at a first start in the x86 build
($(per_call x64 platform_first) and $(per_call x64 library_first) µs in the x64 build). On this tree SHCopyKeyA makes
$(thousands "$(platform_calls)") calls at either start (per key one RegQueryInfoKeyW; per value
RegEnumValueW and RegSetValueExW; per subkey RegEnumKeyExW, RegOpenKeyExW,
RegCreateKeyW and two RegCloseKey; as a relay trace under Wine shows them).
The library makes $(thousands "$(get copy_calls.first.1000)") at a first start and $(thousands "$(get copy_calls.warm.1000)") at a warm one (counted on
winsim, same tree): per key one RegQueryInfoKeyA, the source's counts; per
value RegEnumValueA and then RegSetValueExA (first start: a key that
RegCreateKeyExA has just made needs no presence read) or the presence read
RegQueryValueExA (warm start); per subkey the same four calls as SHCopyKeyA.
By call count alone: $(by_count first)× at a first start, $(by_count warm)× at a warm one.

EOF
}

# The presence read without the data: what it would save, as measured.
copy_mend_size_only() {
    cat <<EOF
Mend, optional, in \`DestinationLacksValue\` (src/settings/key_tree_copy.cpp):
the presence rules go by type and size alone, so the read need not fetch the
data: call RegQueryValueExA with a null data pointer and \`size\` in/out;
ERROR_FILE_NOT_FOUND is missing; ERROR_SUCCESS is missing only for a type
other than REG_SZ and REG_EXPAND_SZ whose size is at most 512 bytes; any
other result is present. The same decisions as now, and the 512-byte scratch
buffer goes. It is worth little: such a read costs $(call_cost x86 RegQueryValueExA_size_only) µs (x86) and
$(call_cost x64 RegQueryValueExA_size_only) µs (x64) here against $(call_cost x86 RegQueryValueExA_present) and $(call_cost x64 RegQueryValueExA_present) µs with the data; the round
trip, not the data, is the cost of a call.
EOF
}

# copy_explain MISSES...: the causes of the missed copy targets among MISSES,
# and the one mend that serves both builds.
copy_explain() {
    local miss warm=0
    for miss; do
        case $miss in
        copy_first.*) copy_cause "$miss" ;;
        copy_warm.*)
            copy_cause "$miss"
            warm=1
            ;;
        esac
    done
    if ((warm)); then
        copy_mend_size_only
        echo
    fi
}
# copy_cause copy_first.ARCH|copy_warm.ARCH: the cause of one miss.
copy_cause() {
    local miss=$1 start arch ratio
    start=${miss%%.*}
    start=${start#copy_}
    arch=${miss#*.}
    ratio=$(get "$arch.ratio.library_$start.median_x")
    if [[ $start == first ]]; then
        cat <<EOF
**First start, ${build_label[$arch]}: $(calc "$ratio")× SHCopyKeyA (target 1.5×).** Per value both copies make two
calls; the call counts alone predict $(by_count first)× (see "Where the time goes"
above), so a ratio this far above it is the noise of the machine or a
change in the copy: compare the RegEnumValueA, RegQueryValueExA and
RegSetValueExA counts of the first start in the registry-call table with
their fewest.

EOF
        return 0
    fi
    cat <<EOF
**Warm start, ${build_label[$arch]}: $(calc "$ratio" 3)× SHCopyKeyA (target 1.0×, median of the per-round
ratios; with 95% confidence the median lies between $(calc "$(get "$arch.ratio.library_warm.ci_low_x")" 3)× and $(calc "$(get "$arch.ratio.library_warm.ci_high_x")" 3)×; IQR $(calc "$(get "$arch.ratio.library_warm.q1_x")")–$(calc "$(get "$arch.ratio.library_warm.q3_x")")×,
fastest rounds $(fastest "$arch" library_warm platform_warm)×).** The two copies make $(thousands "$(get copy_calls.warm.1000)") and $(thousands "$(platform_calls)") calls ($(by_count warm)× by count).
Per value both make two, but not the same ones: the library's presence read
(RegQueryValueExA, $(call_cost "$arch" RegQueryValueExA_present) µs) against SHCopyKeyA's rewrite of the same data
(RegSetValueExW, $(call_cost "$arch" RegSetValueExW_same) µs), which the wineserver finds unchanged and so costs no
more than a read: here the read came out $(pct_dearer "$arch" RegQueryValueExA_present RegSetValueExW_same). The one thing the library
does more is make its calls in their ANSI forms, the form its settings are
defined in, which Wine turns into the wide forms inside each call, where
SHCopyKeyA converts its key name once and calls the wide forms: by the
table above that adds $(ansi_extra_ms "$arch") ms to the warm copy, $(calc "100 * $(ansi_extra_ms "$arch") / $(get "$arch.copy.platform_warm.median_ms")" 1)% of SHCopyKeyA's time. The
rest is the spread of the shared machine, which one run does not resolve
more finely than the interval above. On Windows, SHCopyKeyA's overwrite is a
real write of every value, so there the read is the cheaper call.

EOF
}
# ansi_extra_ms ARCH: what the ANSI forms add to the warm copy, by their per-call extra:
# per value an enumeration and a read, per subkey an open and a create.
ansi_extra_ms() {
    calc "($(get "$1.copy.values") * ($(get "$1.ansi.RegEnumValue.extra_us") + $(get "$1.ansi.RegQueryValueEx.extra_us")) + 2 * ($(get "$1.copy.keys") - 1) * $(get "$1.ansi.RegOpenKeyEx.extra_us")) / 1000" 2
}
