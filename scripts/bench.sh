#!/usr/bin/env bash
# bench.sh: measures the start-up library against its peers and its limits,
# prints the tables and writes them to BENCHMARKS.md.
#
#   1. builds a native Release tree with Google Benchmark (build/bench/native)
#      and the win32 tree with the Wine benchmark programs (build/bench/win32);
#   2. natively, on winsim: registry calls, heap allocations and stack per
#      start; the copy's and the command-line tests' cost per unit as inputs
#      grow, by time (Google Benchmark) and by instructions (callgrind);
#   3. under Wine, in a private prefix (build/bench/wine/prefix): the defaults
#      copy against SHCopyKeyA, per-call costs, the copy's stack per level,
#      and load-and-unload cycles of the library against an empty DLL and the
#      resource library alone;
#   4. the DLL's size.
# Raw results stay in build/bench/results. Takes two to four minutes.
# Not part of the test command: timings are never pass or fail.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

if (($#)); then
    echo "usage: scripts/bench.sh   (no arguments; writes BENCHMARKS.md)" >&2
    exit 2
fi

me=bench
out=build/bench
results=$out/results
jobs=2
started=$(date -u '+%Y-%m-%d %H:%M UTC')
load_before=$(cut -d' ' -f1-3 /proc/loadavg)

say() { echo "$me: $*" >&2; }
die() {
    echo "$me: $*" >&2
    exit 1
}

scripts/install-deps.sh >&2
mkdir -p "$results"
rm -f "$results"/*.txt "$results"/*.csv "$results"/callgrind.*

# --- builds ------------------------------------------------------------------
say "building the native benchmarks (Release, winsim)"
cmake -S . -B "$out/native" -DCMAKE_BUILD_TYPE=Release -DTARVEX_BUILD_TESTS=OFF -DTARVEX_BUILD_BENCH=ON \
    >"$results/native-configure.log" 2>&1 || die "native configure failed (see $results/native-configure.log)"
cmake --build "$out/native" -j "$jobs" --target bench_scaling bench_startup_counts >"$results/native-build.log" 2>&1 ||
    die "native build failed (see $results/native-build.log)"

say "building the win32 library and the Wine benchmark programs"
cmake -S . -B "$out/win32" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/i686-w64-mingw32.cmake" \
    -DCMAKE_BUILD_TYPE=MinSizeRel -DTARVEX_BUILD_TESTS=OFF -DTARVEX_BUILD_BENCH=ON \
    >"$results/win32-configure.log" 2>&1 || die "win32 configure failed (see $results/win32-configure.log)"
cmake --build "$out/win32" -j "$jobs" --target TarvexLogo OxaRes0 BenchEmpty bench_registry_copy bench_load_cycle \
    >"$results/win32-build.log" 2>&1 || die "win32 build failed (see $results/win32-build.log)"

counts=$out/native/bench/bench_startup_counts
scaling=$out/native/bench/bench_scaling
bin=$out/win32/bin

# --- native ------------------------------------------------------------------
say "counting registry calls, heap allocations and stack per start"
"$counts" >"$results/counts.txt" || die "bench_startup_counts failed"

say "timing the copy and the command-line tests as they grow (Google Benchmark)"
"$scaling" --benchmark_min_time=0.2 --benchmark_repetitions=5 --benchmark_format=csv >"$results/scaling.csv" 2>"$results/scaling.log" || die "bench_scaling failed"

say "counting instructions per value and per byte (callgrind)"
copy_sizes=(100 1000 10000 100000)
# The library's own functions in the copy; the rest is winsim and the C library.
own_symbols='RegKey::|CopyValues|CopyBoundedText|SubkeyList|LogoStartup::CopyNewUserDefaults'
for start in first warm; do
    for values in "${copy_sizes[@]}"; do
        cg=$results/callgrind.$start.$values
        valgrind --tool=callgrind --callgrind-out-file="$cg.out" --toggle-collect='*MeasuredDefaultsCopy*' \
            "$counts" copy-once "$values" "$start" >"$cg.txt" 2>"$cg.log" || die "callgrind run failed (see $cg.log)"
        total=$(sed -n 's/.*Collected : \([0-9]*\).*/\1/p' "$cg.log")
        own=$(callgrind_annotate --inclusive=no --threshold=100 "$cg.out" 2>/dev/null |
            awk -v pattern="$own_symbols" '$0 ~ pattern { gsub(",", "", $1); sum += $1 } END { print sum + 0 }')
        echo "instructions.$start.$values $total" >>"$results/instructions.txt"
        echo "own_instructions.$start.$values $own" >>"$results/instructions.txt"
        echo "copy_calls.$start.$values $(awk '$1 == "copy_once.registry_calls" { print $2 }' "$cg.txt")" \
            >>"$results/instructions.txt"
    done
done
line_lengths=(100 1000 10000 32767)
for test in switch file-type; do
    for length in "${line_lengths[@]}"; do
        cg=$results/callgrind.$test.$length
        valgrind --tool=callgrind --callgrind-out-file="$cg.out" --toggle-collect='*MeasuredCommandLineTest*' \
            "$counts" scan-once "$length" "$test" >/dev/null 2>"$cg.log" || die "callgrind run failed (see $cg.log)"
        echo "instructions.$test.$length $(sed -n 's/.*Collected : \([0-9]*\).*/\1/p' "$cg.log")" \
            >>"$results/instructions.txt"
    done
done

# --- Wine --------------------------------------------------------------------
say "running the Wine benchmarks (private prefix and display)"
scripts/wine-session.sh --prefix "$root/$out/wine/prefix" -- bash -c '
    cd "$1" &&
    wine ./bench_registry_copy.exe >copy.txt 2>copy.log &&
    wine ./bench_load_cycle.exe /nologo >cycle.txt 2>cycle.log' bash "$bin" >"$results/wine.log" 2>&1 ||
    die "the Wine benchmarks failed (see $results/wine.log, $bin/copy.log, $bin/cycle.log)"
for file in copy cycle; do tr -d '\r' <"$bin/$file.txt" >"$results/$file.txt"; done

# --- size ----------------------------------------------------------------------
dll_size=$(stat -c %s "$bin/TarvexLogo.dll")
# Product objects that call mingw-w64's own printf, which is linked in whole
# rather than imported from the C runtime DLL.
static_printf=$(i686-w64-mingw32-nm -A -u "$out/win32/src/libtarvex_core.a" 2>/dev/null |
    sed -n 's/^[^:]*:\([^:]*\):.* U \(___mingw_[a-z]*printf\)$/\1 (\2)/p' | sort -u | paste -sd' ' || true)

# --- results into one table ----------------------------------------------------------
declare -A v
load() {
    local key value
    while read -r key value; do
        [[ -n $key && $key != \#* ]] && v[$key]=$value
    done <"$1"
}
load "$results/counts.txt"
load "$results/instructions.txt"
load "$results/copy.txt"
load "$results/cycle.txt"
# Google Benchmark's fastest repetition as nanoseconds per unit (value or
# byte): other work on the machine only ever adds time.
while read -r key value; do v[$key]=$value; done < <(awk -F, '
    NR == 1 { for (i = 1; i <= NF; i++) if ($i == "items_per_second") col = i; next }
    $1 !~ /_(mean|median|stddev|cv)"$/ && col && $col > best[$1] { best[$1] = $col }
    END {
        for (name in best) {
            key = name; gsub(/"/, "", key); split(key, part, "/")
            printf "scale.%s.%s %.4f\n", part[1], part[2], 1e9 / best[name]
        }
    }' "$results/scaling.csv")

get() { echo "${v[$1]:-}"; }
# calc EXPRESSION [DECIMALS]: awk arithmetic on plain numbers.
calc() { awk "BEGIN { printf \"%.${2:-2}f\", $1 }"; }
is_true() { awk "BEGIN { exit !($1) }"; }
status() { if is_true "$1"; then echo "met"; else echo "**missed**"; fi; }
thousands() { sed ':a;s/\B[0-9]\{3\}\>/,&/;ta' <<<"$1"; }
need() {
    local key
    for key; do [[ -n ${v[$key]:-} ]] || die "no figure '$key' in $results"; done
}

need copy.library_first.median_ms copy.platform_first.median_ms ratio.library_first.median_x \
    ratio.library_warm.median_x stack.per_level_bytes cycle.library.median_us calls.warm.total floor.warm.total \
    heap.warm.calls tree.warm.user_parents call.RegQueryInfoKeyA.median_us call.RegQueryValueExA_size_only.median_us \
    copy_calls.first.1000 copy_calls.warm.1000 \
    scale.BM_DefaultsCopyFirstStart.100 \
    scale.BM_FileTypeTest.32767 instructions.file-type.32767

# fastest A B: ratio of the two copies' fastest rounds.
fastest() { calc "$(get "copy.$1.min_ms") / $(get "copy.$2.min_ms")"; }
# spread MEASURE UNIT: "min–max (q1–q3)" of a Wine summary.
spread() {
    printf "%s–%s (IQR %s–%s)" "$(calc "$(get "$1.min_$2")" "$3")" "$(calc "$(get "$1.max_$2")" "$3")" \
        "$(calc "$(get "$1.q1_$2")" "$3")" "$(calc "$(get "$1.q3_$2")" "$3")"
}

declare -a missed=()
first_ratio=$(get ratio.library_first.median_x)
warm_ratio=$(get ratio.library_warm.median_x)
first_ok=$(status "$first_ratio <= 1.5")
warm_ok=$(status "$warm_ratio <= 1.0")
[[ $first_ok == met ]] || missed+=(copy_first)
[[ $warm_ok == met ]] || missed+=(copy_warm)

# The table rows are made here, in this shell, so that the misses they find
# are kept; each sets $row.
# Scaling rows: per-unit cost at each size and the largest/smallest ratio.
scale_row() { # label benchmark sizes...
    local label=$1 bench=$2 size cost low="" high=""
    shift 2
    local cells=""
    for size; do
        cost=$(get "scale.$bench.$size")
        if [[ -z $cost ]]; then cells+=" n/a |"; continue; fi
        cells+=" $(calc "$cost" 3) |"
        if [[ -z $low ]] || is_true "$cost < $low"; then low=$cost; fi
        if [[ -z $high ]] || is_true "$cost > $high"; then high=$cost; fi
    done
    local ratio="n/a" ok="**not measured**"
    if [[ -n $low ]]; then
        ratio=$(calc "$high / $low")
        ok=$(status "$ratio <= 1.5")
    fi
    row="| $label |$cells ${ratio}× | ≤ 1.5× | $ok |"
    [[ $ok == met ]] || missed+=("$bench")
}
instruction_row() { # label key sizes...: instructions per unit from "instructions.KEY.SIZE"
    local label=$1 key=$2 size count low="" high="" cells=""
    shift 2
    for size; do
        count=$(calc "$(get "instructions.$key.$size") / $size" 1)
        # Whole instructions where there are thousands, a tenth below 100.
        if is_true "$count >= 100"; then cells+=" $(thousands "$(calc "$count" 0)") |"; else cells+=" $count |"; fi
        if [[ -z $low ]] || is_true "$count < $low"; then low=$count; fi
        if [[ -z $high ]] || is_true "$count > $high"; then high=$count; fi
    done
    local ok
    ok=$(status "$high / $low <= 1.5")
    row="| $label |$cells $(calc "$high / $low")× | ≤ 1.5× | $ok |"
    [[ $ok == met ]] || missed+=("instructions_$key")
}
own_row() {
    local start=$1 size cells=""
    for size in "${copy_sizes[@]}"; do cells+=" $(calc "$(get "own_instructions.$start.$size") / $size" 0) |"; done
    row="| of which the library's own code, $start start |$cells | | |"
}
# dearest_size BENCHMARK SIZES...: the size with the highest timed cost per unit.
dearest_size() {
    local bench=$1 size best="" best_cost=""
    shift
    for size; do
        local cost
        cost=$(get "scale.$bench.$size")
        [[ -n $cost ]] || continue
        if [[ -z $best_cost ]] || is_true "$cost > $best_cost"; then best=$size best_cost=$cost; fi
    done
    echo "$best"
}
# Fixed instructions per call and per byte, from the two ends of the range.
instruction_fit() { # switch|file-type
    local small big per_byte
    small=$(get "instructions.$1.100")
    big=$(get "instructions.$1.32767")
    per_byte=$(calc "($big - $small) / (32767 - 100)" 2)
    echo "$(calc "$small - $per_byte * 100" 0) instructions per call + $per_byte per byte"
}
# Fixed cost per call and marginal cost per byte, from the two ends of the range.
line_fit() { # benchmark
    local small big
    small=$(calc "$(get "scale.$1.100") * 100" 4)
    big=$(calc "$(get "scale.$1.32767") * 32767" 4)
    local per_byte
    per_byte=$(calc "($big - $small) / (32767 - 100)" 4)
    echo "$(calc "$small - $per_byte * 100" 0) ns per call + $(calc "$per_byte" 3) ns per byte"
}

stack_wine=$(calc "$(awk '$1 == "stack.per_level_bytes" { print $2 }' "$results/copy.txt")" 0)
stack_native=$(calc "$(awk '$1 == "stack.per_level_bytes" { print $2 }' "$results/counts.txt")" 0)
size_ok=$(status "$dll_size <= 65536")
stack_native_ok=$(status "$stack_native <= 256")
stack_wine_ok=$(status "$stack_wine <= 256")
[[ $size_ok == met ]] || missed+=(size)
[[ $stack_native_ok == met && $stack_wine_ok == met ]] || missed+=(stack)

# Heap: one subkey list per key that has subkeys (a key without any is not
# listed), two copies per file-type test (the "/nologo" start asks for ".pac"
# and ".frm").
heap_expected_other=4
heap_row() {
    local start=$1
    local lists other parents
    lists=$(get "heap.$start.subkey_lists")
    other=$(get "heap.$start.other")
    parents=$(get "tree.$start.user_parents")
    local ok
    ok=$(status "$lists == $parents && $other == $heap_expected_other && $(get "heap.$start.global_alloc") == 0")
    [[ $ok == met ]] || missed+=("heap_$start")
    row="| Heap allocations per start, $start start | $(get "heap.$start.calls") ($lists subkey lists + $other file-type copies; $(thousands "$(get "heap.$start.bytes")") bytes) | only the subkey lists (one for each of the $parents keys with subkeys, of $(get "tree.$start.user_keys")) and the file-type copies ($heap_expected_other: two tests, two copies each) | $ok |"
}

functions=(RegOpenKeyExA RegCreateKeyExA RegCloseKey RegQueryInfoKeyA RegEnumValueA RegQueryValueExA RegSetValueExA
    RegEnumKeyExA)
# Every function within its own floor, not just the total.
calls_condition="$(get calls.first.other_registry) == 0 && $(get calls.warm.other_registry) == 0"
for f in "${functions[@]}"; do
    for start in first warm; do calls_condition+=" && $(get "calls.$start.$f") <= $(get "floor.$start.$f")"; done
done
calls_ok=$(status "$calls_condition")
[[ $calls_ok == met ]] || missed+=(calls)

scale_row "First start" BM_DefaultsCopyFirstStart 100 1000 10000 100000
row_copy_first=$row
scale_row "Warm start" BM_DefaultsCopyWarmStart 100 1000 10000 100000
row_copy_warm=$row
instruction_row "First start" first "${copy_sizes[@]}"
row_instructions_first=$row
own_row first
row_own_first=$row
instruction_row "Warm start" warm "${copy_sizes[@]}"
row_instructions_warm=$row
instruction_row "Switch test" switch "${line_lengths[@]}"
row_instructions_switch=$row
instruction_row "File-type test" file-type "${line_lengths[@]}"
row_instructions_file_type=$row
own_row warm
row_own_warm=$row
scale_row "Switch test" BM_SwitchTest 100 1000 10000 32767
row_switch=$row
scale_row "File-type test" BM_FileTypeTest 100 1000 10000 32767
row_file_type=$row
heap_row first
row_heap_first=$row
heap_row warm
row_heap_warm=$row

cpu=$(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n 1)
cores=$(nproc)
load_after=$(cut -d' ' -f1-3 /proc/loadavg)
finished=$(date -u '+%Y-%m-%d %H:%M UTC')

call_cost() { calc "$(get "call.$1.median_us")" 2; }

report() {
    cat <<EOF
# Benchmarks

Made by \`scripts/bench.sh\`, started $started, finished $finished, on
$cpu ($cores cores, shared with other work: load average $load_before at the
start, $load_after at the end). Timings on a shared machine move by tens of
percent from run to run; ratios are taken between measures made in the same
process, interleaved, and are steadier than the absolute figures. Raw results
are in \`build/bench/results\`. Nothing here is a test: no figure fails a build.

## Defaults copy against SHCopyKeyA (Wine, one process)

The library's \`RegKey::CopyKeyTree\`, opened as the start-up opens it, against
\`SHCopyKeyA\` on the same tree of $(thousands "$(get copy.values)") string values in $(get copy.keys) keys (10 per key, fan-out 10),
$(get copy.runs) rounds after one warm-up round, the two copiers in turn within each round.
First start: the destination is empty. Warm start: the destination already
holds everything; the library then writes nothing, while SHCopyKeyA, which
has no "only missing" mode, writes every value again.

| Measure | Median | Spread over the rounds: min–max (IQR) | Ratio to SHCopyKeyA: median of the per-round ratios (IQR) | Ratio of the fastest rounds | Target | Status |
|---|---|---|---|---|---|---|
| CopyKeyTree, first start | $(calc "$(get copy.library_first.median_ms)") ms | $(spread copy.library_first ms 1) | **$(calc "$first_ratio")×** ($(calc "$(get ratio.library_first.q1_x)")–$(calc "$(get ratio.library_first.q3_x)")) | $(fastest library_first platform_first)× | ≤ 1.5× | $first_ok |
| SHCopyKeyA, into an empty key | $(calc "$(get copy.platform_first.median_ms)") ms | $(spread copy.platform_first ms 1) | 1× | 1× | | |
| CopyKeyTree, warm start | $(calc "$(get copy.library_warm.median_ms)") ms | $(spread copy.library_warm ms 1) | **$(calc "$warm_ratio" 3)×** ($(calc "$(get ratio.library_warm.q1_x)")–$(calc "$(get ratio.library_warm.q3_x)")) | $(fastest library_warm platform_warm)× | ≤ 1.0× | $warm_ok |
| SHCopyKeyA, over a complete copy | $(calc "$(get copy.platform_warm.median_ms)") ms | $(spread copy.platform_warm ms 1) | 1× | 1× | | |

The status goes by the median of the per-round ratios. Other work on the
machine only ever adds time, so the ratio of the fastest rounds is the
better estimate of the copies' own costs when the two disagree.

Single registry calls under this Wine, median per call (each a round trip to
the wineserver):

| RegEnumValueA | RegEnumValueW | RegQueryValueExA, value present | RegQueryValueExA, value missing | RegQueryValueExA, type and size only | RegSetValueExW, same data again | RegSetValueExA, same data again | RegQueryInfoKeyA |
|---|---|---|---|---|---|---|---|
| $(call_cost RegEnumValueA) µs | $(call_cost RegEnumValueW) µs | $(call_cost RegQueryValueExA_present) µs | $(call_cost RegQueryValueExA_missing) µs | $(call_cost RegQueryValueExA_size_only) µs | $(call_cost RegSetValueExW_same) µs | $(call_cost RegSetValueExA_same) µs | $(call_cost RegQueryInfoKeyA) µs |

$(copy_calls_paragraph)

## Scaling (native, winsim)

Cost per unit as the input grows: the defaults copy per value (trees of 10
values per key, fan-out 10; Google Benchmark, CPU time, the fastest of 5
repetitions), and the switch test (\`HasSwitch("NOLOGO")\`) and file-type test
(\`CommandLineHasFileType(".frm")\`) per byte of a command line full of signs
and near misses that holds neither, so every byte is scanned.

| Copy, ns per value | 100 values | 1,000 | 10,000 | 100,000 | Largest / smallest | Target | Status |
|---|---|---|---|---|---|---|---|
$row_copy_first
$row_copy_warm

The same copies counted in instructions per value (callgrind, one copy each;
winsim included, which does most of the work):

| Copy, instructions per value | 100 values | 1,000 | 10,000 | 100,000 | Largest / smallest | Target | Status |
|---|---|---|---|---|---|---|---|
$row_instructions_first
$row_own_first
$row_instructions_warm
$row_own_warm

| Command-line test, ns per byte | 100 characters | 1,000 | 10,000 | 32,767 | Largest / smallest | Target | Status |
|---|---|---|---|---|---|---|---|
$row_switch
$row_file_type

| Command-line test, instructions per byte | 100 characters | 1,000 | 10,000 | 32,767 | Largest / smallest | Target | Status |
|---|---|---|---|---|---|---|---|
$row_instructions_switch
$row_instructions_file_type

Fitted over the range in instructions, which the noise of the machine does
not move: switch test $(instruction_fit switch); file-type test
$(instruction_fit file-type).

## Start-up cost (Wine)

Load-and-unload cycles (\`LoadLibraryA\` + \`FreeLibrary\`) in one process started
with "/nologo", $(get cycle.count) cycles of each kind, interleaved. The machine holds
a typical set of new-user defaults ($typical_tree) that the user already has,
"DisableForms" is "0", and \`OxaRes0.dll\` lies beside the program. The empty
DLL is built with the same runtime start-up code as the library.

| Cycle | Median | IQR | Min |
|---|---|---|---|
| TarvexLogo.dll (its start-up loads OxaRes0.dll) | $(calc "$(get cycle.library.median_us)" 0) µs | $(calc "$(get cycle.library.q1_us)" 0)–$(calc "$(get cycle.library.q3_us)" 0) µs | $(calc "$(get cycle.library.min_us)" 0) µs |
| Empty DLL | $(calc "$(get cycle.empty.median_us)" 0) µs | $(calc "$(get cycle.empty.q1_us)" 0)–$(calc "$(get cycle.empty.q3_us)" 0) µs | $(calc "$(get cycle.empty.min_us)" 0) µs |
| OxaRes0.dll alone | $(calc "$(get cycle.resources.median_us)" 0) µs | $(calc "$(get cycle.resources.q1_us)" 0)–$(calc "$(get cycle.resources.q3_us)" 0) µs | $(calc "$(get cycle.resources.min_us)" 0) µs |
| **The library's own cost** (library − empty − resource library) | **$(calc "$(get cycle.own_us)" 0) µs** | | |

The own cost is mostly registry round trips: a warm start makes
$(get calls.warm.total) registry calls (next table), about $(calc "$(get cycle.own_us) / $(get calls.warm.total)" 1) µs each here.

## Size and memory

| Measure | Figure | Target | Status |
|---|---|---|---|
| TarvexLogo.dll size | $(thousands "$dll_size") bytes ($(calc "$dll_size / 1024" 1) KiB) | ≤ 64 KiB | $size_ok |
| Stack per recursion level of the copy, native (x86-64, Release) | $stack_native bytes | ≤ 256 bytes | $stack_native_ok |
| Stack per recursion level of the copy, mingw (i686, MinSizeRel, under Wine) | $stack_wine bytes | ≤ 256 bytes | $stack_wine_ok |
$row_heap_first
$row_heap_warm

Stack per level: the stack is painted before the copy of a chain of keys
$(get stack.shallow_depth) and $(get stack.deep_depth) levels deep, and the deepest byte written is found afterwards;
the difference divided by the difference in depth is the cost of one level,
whatever the registry functions underneath use. Heap: native, a whole
process attach and detach on winsim with the typical defaults, counting
\`malloc\` calls of the library's code (\`-Wl,--wrap=malloc\`); no
\`GlobalAlloc\` either.

## Registry calls per start (winsim)

A whole process attach and detach with "/nologo" and the typical defaults
($typical_tree; $(get tree.warm.user_parents) keys have subkeys, $(get tree.warm.keys_without_values) has no values). First start: the
user has none of it; warm start: all of it. The fewest calls, when every
call succeeds: per source key one RegQueryInfoKeyA, whose counts bound both
walks, so one RegEnumValueA per value and one RegEnumKeyExA per subkey, with
no call for the end of either and no listing of a key without subkeys; one
presence read (RegQueryValueExA) per value of a destination key that existed
before the start (none at a first start: RegCreateKeyExA reports a key it
made, REG_CREATED_NEW_KEY, and such a key holds nothing to read); one
RegSetValueExA per missing value; one open per source subkey, one create per
destination subkey, one close per handle; the two top keys; and two language
reads and two "DisableForms" reads of open, query and close each.

| Function | First start | Fewest | Warm start | Fewest |
|---|---|---|---|---|
$(for f in "${functions[@]}"; do echo "| $f | $(get "calls.first.$f") | $(get "floor.first.$f") | $(get "calls.warm.$f") | $(get "floor.warm.$f") |"; done)
| **All registry calls** | **$(get calls.first.total)** | **$(get floor.first.total)** | **$(get calls.warm.total)** | **$(get floor.warm.total)** |

Target: no function above its fewest: $calls_ok. Other registry functions called:
$(get calls.first.other_registry); registry handles left open: $(get calls.warm.registry_handles_left).

EOF
    explain
}

# Registry calls of one copy of the Wine tree: the library's counted on
# winsim (the same tree, copied once by the start-up's own copy); SHCopyKeyA's
# as a relay trace under Wine showed them, at either start: per key one
# RegQueryInfoKeyW, per value RegEnumValueW and RegSetValueExW, per subkey
# RegEnumKeyExW, RegOpenKeyExW, RegCreateKeyW and two RegCloseKey, nothing for
# the end of a list; both with the two tops opened and closed (4 calls).
platform_calls() {
    local keys values
    keys=$(get copy.keys)
    values=$(get copy.values)
    echo $((4 + keys + 2 * values + 5 * (keys - 1)))
}
# What the library would make with the destination's value count taken from
# RegCreateKeyExA instead of a RegQueryInfoKeyA per key (mend A below); every
# key of this tree holds values.
library_calls_mended() { # first|warm
    echo $(($(get "copy_calls.$1.1000") - $(get copy.keys)))
}
# by_count first|warm: the ratio the call counts alone predict.
by_count() { calc "$(get "copy_calls.$1.1000") / $(platform_calls)"; }

# per_call COPY: a copy's median time over its registry calls, in µs.
per_call() { # library_first|library_warm|platform_first|platform_warm
    local calls
    case $1 in
    platform_*) calls=$(platform_calls) ;;
    library_*) calls=$(get "copy_calls.${1#library_}.1000") ;;
    esac
    calc "$(get "copy.$1.median_ms") * 1000 / $calls" 1
}

copy_calls_paragraph() {
    cat <<EOF
**Where the time goes.** Under Wine every registry call is a round trip to
the wineserver, and the calls cost about alike (table above), so each copy
costs about its number of calls: the medians above come to $(per_call platform_first) µs per call
for SHCopyKeyA and $(per_call library_first) µs for the library at a first start ($(per_call platform_warm) and
$(per_call library_warm) µs at a warm one). On this tree SHCopyKeyA makes $(thousands "$(platform_calls)") calls at
either start (per key one RegQueryInfoKeyW; per value RegEnumValueW and
RegSetValueExW; per subkey RegEnumKeyExW, RegOpenKeyExW, RegCreateKeyW and
two RegCloseKey; as a relay trace under Wine shows them). The library makes
$(thousands "$(get copy_calls.first.1000)") at a first start and $(thousands "$(get copy_calls.warm.1000)") at a warm one (counted on winsim, same
tree): per value RegEnumValueA and then RegSetValueExA (first start, where
the destination key was just made and needs no presence read) or the
presence read RegQueryValueExA (warm start); per key two RegQueryInfoKeyA,
the source's counts and the destination's value count, that is one call
more per key than SHCopyKeyA; per subkey the same four calls as SHCopyKeyA.
By call count alone: $(by_count first)× at a first start, $(by_count warm)× at a warm one.

EOF
}

# pct_dearer A B: how much call A cost against call B, in words.
pct_dearer() {
    local pct
    pct=$(calc "($(get "call.$1.median_us") / $(get "call.$2.median_us") - 1) * 100" 0)
    if ((pct > 0)); then echo "$pct% dearer"; elif ((pct < 0)); then echo "$((-pct))% cheaper"; else echo "as dear"; fi
}

# The presence read without the data: what it would save, as measured.
mend_size_only_paragraph() {
    cat <<EOF
Mend (C), optional, for (2), in \`DestinationLacksValue\`
(src/settings/key_tree_copy.cpp): the presence rules go by type and size
alone, so the read need not fetch the data: call RegQueryValueExA with a
null data pointer and \`size\` in/out; ERROR_FILE_NOT_FOUND is missing;
ERROR_SUCCESS is missing only for a type other than REG_SZ and
REG_EXPAND_SZ whose size is at most 512 bytes; any other result is present.
The same decisions as now (Windows and winsim answer such a read with the
type and size), and the 512-byte scratch buffer goes. It is worth little:
such a read costs $(call_cost RegQueryValueExA_size_only) µs here against $(call_cost RegQueryValueExA_present) µs with the data
($(pct_dearer RegQueryValueExA_size_only RegQueryValueExA_present)); the round trip, not the data, is the cost of a call.
EOF
}

# The further mend for the destination's value count, shared by the misses.
mend_created_paragraph() {
    cat <<EOF
Mend (A), one call less per key at every start, in \`src/settings/reg_key.h\`,
\`reg_key.cpp\` and \`key_tree_copy.cpp\`: \`RegKey::Open\` already passes
\`&disposition\` to RegCreateKeyExA and drops it; keep it in a new member
(say \`int created\`, 1 when the disposition is REG_CREATED_NEW_KEY, 0 after
any other open and after \`Close\`), and in \`RegKey::CopyKeyTree\` pass
\`onlyMissing && !destination.created\` to \`CopyValues\` instead of
\`onlyMissing && !DestinationIsEmpty(destination.handle)\`, dropping
\`DestinationIsEmpty\`. The top key "Software\\Vornek" is made by the
\`destination.Open\` of \`CopyNewUserDefaults\`, so a first start is covered
from the top. The one difference: a destination key that existed but holds
no values gets a presence read per value (each ERROR_FILE_NOT_FOUND, then
the write), with the same result. On this tree that is $(thousands "$(library_calls_mended first)") calls at a first
start and $(thousands "$(library_calls_mended warm)") at a warm one, against SHCopyKeyA's $(thousands "$(platform_calls)").
EOF
}

size_paragraph() {
    if [[ -z $static_printf ]]; then
        echo "$1 Look at what grew: link TarvexLogo.dll once without \`-s\` and with \`-Wl,-Map\`, and read the map."
        echo
        return
    fi
    cat <<EOF
$1 Cause: $static_printf
calls mingw-w64's own printf, which is linked into the DLL whole (its
formatting engine, floating point included, about 28 KiB), where the C
runtime's is an import that costs nothing. Mend: format through msvcrt's
\`_vsnprintf\` on Windows, as \`Diagnose\` (src/core/diagnostics.cpp) does.

EOF
}

explain() {
    declare -A explained=()
    echo "## Misses: causes and mends"
    echo
    if ((${#missed[@]} == 0)); then
        echo "Every figure met its target in this run."
        echo
    fi
    local miss
    for miss in "${missed[@]}"; do
        case $miss in
        copy_first)
            cat <<EOF
**First start, $(calc "$first_ratio")× SHCopyKeyA (target 1.5×).** Per value both copies make two
calls; the call counts alone predict $(by_count first)× (see "Where the time goes"
above), so a ratio this far above it is the noise of the machine or a
change in the copy: compare the RegEnumValueA, RegQueryValueExA and
RegSetValueExA counts of the first start in the registry-call table with
their fewest.

EOF
            ;;
        copy_warm)
            cat <<EOF
**Warm start, $(calc "$warm_ratio" 3)× SHCopyKeyA (target 1.0×, median of the per-round ratios; IQR
$(calc "$(get ratio.library_warm.q1_x)")–$(calc "$(get ratio.library_warm.q3_x)")×, fastest rounds $(fastest library_warm platform_warm)×).** Two causes. (1) One call more per key:
the library asks the destination for its value count (RegQueryInfoKeyA) to
learn whether the key was just made; SHCopyKeyA does not ask. That is
$(get copy.keys) of the library's $(thousands "$(get copy_calls.warm.1000)") calls here, and the whole of the $(by_count warm)× that the
call counts predict. (2) Per value both make two calls, but not the same
ones: the library's presence read (RegQueryValueExA, $(call_cost RegQueryValueExA_present) µs) against
SHCopyKeyA's rewrite of the same data (RegSetValueExW, $(call_cost RegSetValueExW_same) µs), which the
wineserver finds unchanged and so costs no more than a read: here the read
came out $(pct_dearer RegQueryValueExA_present RegSetValueExW_same). The copy must read each of the user's values to
leave the user's settings alone; on Windows, SHCopyKeyA's overwrite is a
real write of every value.
$(mend_created_paragraph) With it the
call counts are equal at a warm start, and the rest is what a presence read
costs against an unchanged write: by the call costs above, about
$(calc "($(platform_calls) + $(get copy.values) * ($(get call.RegQueryValueExA_present.median_us) / $(get call.RegSetValueExW_same.median_us) - 1)) / $(platform_calls)")× SHCopyKeyA, which stays at or a little above the target under Wine.
$(mend_size_only_paragraph)

EOF
            explained[mend_created]=1
            ;;
        BM_DefaultsCopyFirstStart | BM_DefaultsCopyWarmStart)
            # Both copy rows share one explanation.
            [[ ${explained[copy]:-} ]] && continue
            explained[copy]=1
            local dearest_first dearest_warm
            dearest_first=$(dearest_size BM_DefaultsCopyFirstStart "${copy_sizes[@]}")
            dearest_warm=$(dearest_size BM_DefaultsCopyWarmStart "${copy_sizes[@]}")
            if [[ $dearest_first != 100000 || $dearest_warm != 100000 ]]; then
                cat <<EOF
**Copy cost per value varies over the sizes (time, winsim).** Not growth:
the dearest size is $(thousands "$dearest_first") values at a first start and $(thousands "$dearest_warm") at a warm one,
not always the largest, and callgrind counts the same instructions per
value at every size (second table, within a few per cent). The timed
figures of this run caught other work on the shared machine; the
instruction counts are the measure of the copy's own scaling. No mend.

EOF
                continue
            fi
            cat <<EOF
**Copy cost per value grows with the tree (time, winsim).** Cause: memory,
not work. Callgrind counts the same instructions per value at every size
(second table, within a few per cent), and the library's own code is a
fixed $(calc "$(get own_instructions.first.100000) / 100000" 0) instructions per value or so, on fixed 512-byte buffers, with no
allocation per value. What grows is winsim's simulated registry: two trees
of up to 100,000 values each, every value a heap node with its name and
data, plus winsim's call log, tens of MiB in all, beyond this machine's
512 KiB of L2 per core and a 32 MiB L3 shared with everything else running
here, so more and more of the simulator's lookups miss the caches. No mend
in the library; a real registry spends far more per call than this.

EOF
            ;;
        BM_SwitchTest | BM_FileTypeTest | instructions_switch | instructions_file-type)
            local test=switch bench=BM_SwitchTest test_name="The switch test"
            if [[ $miss == *File* || $miss == *file* ]]; then
                test=file-type bench=BM_FileTypeTest test_name="The file-type test"
            fi
            [[ ${explained[$test]:-} ]] && continue
            explained[$test]=1
            local dearest
            dearest=$(dearest_size "$bench" "${line_lengths[@]}")
            if [[ $miss == BM_* && $dearest != "${line_lengths[0]}" ]]; then
                cat <<EOF
**$test_name, timed cost per byte varies over the lengths.** Not a trend:
the dearest length is $(thousands "$dearest") characters, not the shortest, while the
instructions per byte (next table) only fall as a fixed cost per call
spreads out: $(instruction_fit "$test"). The timed figures of
this run caught other work on the shared machine. No mend.

EOF
                continue
            fi
            cat <<EOF
**$test_name costs more per byte on short lines.** Cause: a fixed cost per
call spread over few bytes: $(instruction_fit "$test") (timed:
$(line_fit "$bench")). The cost per byte itself is flat. The fixed
part is winsim's call-log entry for GetCommandLineA and, for the file-type
test, two heap copies of the line and the extension with their allocations
and frees; where the timed figure strays further than the instruction count,
it is the noise of the shared machine on calls of a few hundred
nanoseconds. Mend, if wanted: \`LogoStartup::CommandLineHasFileType\`
(src/core/command_line.cpp) could run \`LineHasFileType\` on the line itself,
which already ignores ASCII letter case, and drop the two copies and their
allocations.

EOF
            ;;
        instructions_first | instructions_warm)
            echo "**The copy's instructions per value grow with the tree.** Profile with \`callgrind_annotate build/bench/results/callgrind.${miss#instructions_}.100000.out\`: some step of the copy does more than constant work per value."
            echo
            ;;
        size)
            size_paragraph "**DLL size, $(thousands "$dll_size") bytes, over 64 KiB.**"
            ;;
        stack)
            echo "**Stack per level over 256 bytes** (native $stack_native, mingw $stack_wine). \`CopyKeyTree\` should keep its 512-byte buffers out of the recursive frame (they live in \`CopyValues\`, which must stay out of line)."
            echo
            ;;
        heap_*)
            echo "**Heap allocations per ${miss#heap_} start other than expected.** See \`build/bench/results/counts.txt\`; every allocation beyond one subkey list per key with subkeys and two copies per file-type test is new."
            echo
            ;;
        calls)
            local over="" f unexplained=""
            for f in "${functions[@]}"; do
                for start in first warm; do
                    if is_true "$(get "calls.$start.$f") > $(get "floor.$start.$f")"; then
                        over+="${over:+, }$f at a $start start ($(get "calls.$start.$f") against $(get "floor.$start.$f"))"
                        [[ $f == RegQueryInfoKeyA || $f == RegEnumValueA ]] || unexplained=$f
                    fi
                done
            done
            echo "**Registry calls above the fewest:** $over."
            if [[ -z $unexplained ]]; then
                local mend_created=""
                [[ ${explained[mend_created]:-} ]] || mend_created="$(mend_created_paragraph)"$'\n'
                cat <<EOF
Causes. RegQueryInfoKeyA: the destination's value count, asked once for
every key with values ($(calc "$(get calls.warm.RegQueryInfoKeyA) - $(get floor.warm.RegQueryInfoKeyA)" 0) here) to learn whether the copy just made it,
which RegCreateKeyExA has already said; mend (A) removes them.
${mend_created}RegEnumValueA: \`RegKey::QueryInfo\` zeroes its counts both when a key
has no values and when the query fails, so \`CopyKeyTree\` cannot trust a
count of 0 and walks such a key's values to the end: one call that finds
nothing per key without values ($(get tree.warm.keys_without_values) here). Mend (B), small: let
\`QueryInfo\` return 1 when the key was queried and 0 when not (counts
zeroed as now; src/settings/reg_key.h and reg_key.cpp), and in
\`CopyKeyTree\` skip \`CopyValues\` when the query succeeded with a
\`valueCount\` of 0. The walk to the end stays for a failed query.
EOF
            else
                echo "Compare \`build/bench/results/counts.txt\` with the table: a function above its floor does work the rules do not need."
            fi
            echo
            ;;
        esac
    done
    if [[ $size_ok == met && $dll_size -gt 57344 ]]; then
        echo "## Close to their targets"
        echo
        size_paragraph "**DLL size, $(thousands "$dll_size") bytes of 65,536.**"
    fi
    cat <<EOF
## Notes

- A default value of another type than REG_SZ or REG_EXPAND_SZ (a
  REG_DWORD, say) counts as missing for the user at every start and is
  written again each time, over the user's own value of that name; the
  typical defaults here hold strings only, so the warm start writes nothing.
- "DisableForms" is read twice per start (for the edition and for the mode),
  3 registry calls each; both reads are counted in the fewest calls above.
- Registry calls under Wine cost $(per_call platform_first) µs each in this run's copies. Most of a
  call is waking the wineserver and waiting for its answer, and on this
  virtual machine that depends on whether the other CPU is busy: idle, it
  takes about 100 µs; with one CPU kept busy by a shell loop beside the
  benchmark (2026-12-07) the same calls measured 10–12 µs and the copies
  about 30 ms instead of 250. The ratios between the copies do not depend
  on it, both copies being made of the same round trips: runs of both kinds
  gave ratios within each other's spread. Absolute times, the start-up's own
  cost included, compare only between runs of the same kind, and a run
  during which other work on the machine comes or goes shows both regimes
  in its spread.
- No product object calls mingw-w64's own printf$([[ -z $static_printf ]] || echo " **except $static_printf**"): the
  diagnostics lines are formatted by msvcrt's \`_vsnprintf\`, an import. That
  printf, linked into the DLL whole, had made it 63.5 KiB.
EOF
}

typical_tree="$(get tree.warm.user_values) string values in $(get tree.warm.user_keys) keys"
report >BENCHMARKS.md.tmp
mv BENCHMARKS.md.tmp BENCHMARKS.md
cat BENCHMARKS.md
say "wrote BENCHMARKS.md"
