#!/usr/bin/env bash
# bench.sh: measures the start-up library against its peers and its limits,
# for both Windows builds, and writes BENCHMARKS.md and its chart from one run.
#
#   1. builds a native Release tree with Google Benchmark (build/bench/native)
#      and the win32 and win64 trees with the Wine benchmark programs
#      (build/bench/win32, build/bench/win64);
#   2. natively, on winsim: registry calls, heap allocations and stack per
#      start, and the calls of each phase of a start that shows the logo; the
#      copy's and the command-line tests' cost per unit as inputs grow, by
#      time (Google Benchmark) and by instructions (callgrind);
#   3. under Wine, in a private 64-bit prefix (build/bench/wine/prefix), each
#      build in its own processes, the x86 one under WOW64: the defaults copy
#      against SHCopyKeyA, per-call costs, the copy's stack per level,
#      load-and-unload cycles against an empty DLL and the resource library
#      alone, and the time to the logo against its floor with its breakdown;
#   4. each build's DLL size, and the chart (gnuplot).
# The measures and the report's sections live in scripts/bench/, one file
# each. Raw results stay in build/bench/results. Takes eight to ten minutes.
# scripts/bench.sh --report writes the report again from those results.
# Not part of the test command: timings are never pass or fail.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

readonly chart_name=bench-copy-cost-per-value.png
case ${1-} in
'') report_only=0 ;;
--report) report_only=1 ;;
*)
    echo "usage: scripts/bench.sh [--report]   (writes BENCHMARKS.md and docs/$chart_name;" >&2
    echo "       --report: from the last run's results, measuring nothing)" >&2
    exit 2
    ;;
esac

source scripts/machine.sh
for part in lib measure chart copy_section scaling_section startup_section logo_section memory_section calls_section; do
    # shellcheck source=/dev/null
    source "scripts/bench/$part.sh"
done

readonly out=build/bench
readonly results=$out/results
readonly jobs=2
readonly copy_sizes=(100 1000 10000 100000)
readonly line_lengths=(100 1000 10000 32767)
# Rounds of Wine sessions at 96, 144 and 192 DPI for the time to the logo.
readonly dpi_rounds=3

# Every measure, into $results; the run's own facts into run.figures.
measure_all() {
    # Only the benchmarks draw a chart: the test command never installs gnuplot.
    scripts/install-deps.sh --bench >&2
    probe_32bit "$me" >&2
    rm -rf "$results"
    mkdir -p "$results"
    {
        echo "run.started $(date -u '+%Y-%m-%d %H:%M UTC')"
        echo "run.load_before $(cut -d' ' -f1-3 /proc/loadavg)"
        echo "run.dpi_rounds $dpi_rounds"
        ((runs_32bit)) || echo "not_measured.x86 $no_32bit_reason"
    } >"$results/run.figures"
    cp "$results/run.figures" "$results/figures"
    local preset
    build_native
    for preset in $(presets); do build_windows "$preset"; done
    measure_native
    measure_wine
    measure_sizes
    {
        echo "run.finished $(date -u '+%Y-%m-%d %H:%M UTC')"
        echo "run.load_after $(cut -d' ' -f1-3 /proc/loadavg)"
        echo "run.cpu $(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n 1)"
        echo "run.cores $(nproc)"
    } >>"$results/run.figures"
}

# The figures file, made again from the run's raw results.
collect_figures() {
    local arch file
    cp "$results/run.figures" "$results/figures"
    load "$results/counts.txt"
    load "$results/instructions.txt"
    for arch in $(arches); do
        for file in copy cycle logo size; do load "$results/$arch/$file.figures" "$arch."; done
        load "$results/$arch/logo96.figures" "$arch.dpi96."
        load "$results/$arch/logo144.figures" "$arch.dpi144."
        load "$results/$arch/logo192.figures" "$arch.dpi192."
        load "$results/$arch/logo144stretched.figures" "$arch.stretched144."
        load "$results/$arch/logo192stretched.figures" "$arch.stretched192."
    done
    # Google Benchmark's fastest repetition as nanoseconds per unit (value or
    # byte): other work on the machine only ever adds time.
    awk -F, '
        NR == 1 { for (i = 1; i <= NF; i++) if ($i == "items_per_second") col = i; next }
        $1 !~ /_(mean|median|stddev|cv)"$/ && col && $col > best[$1] { best[$1] = $col }
        END {
            for (name in best) {
                key = name; gsub(/"/, "", key); split(key, part, "/")
                printf "scale.%s.%s %.4f\n", part[1], part[2], 1e9 / best[name]
            }
        }' "$results/scaling.csv" >>"$results/figures"
}

# Each part checks its figures and records the targets it missed.
record_misses() {
    rm -f "$results/missed"
    copy_prepare
    scaling_prepare
    startup_prepare
    logo_prepare
    memory_prepare
    calls_prepare
}

typical_tree() { echo "$(get tree.warm.user_values) string values in $(get tree.warm.user_keys) keys"; }

# One row per target: where it is and whether this run met it.
summary_rows() {
    local arch
    for arch in $(arches); do
        echo "| Warm start's defaults copy against SHCopyKeyA, $arch | $(calc "$(get "$arch.ratio.library_warm.median_x")" 3)× | ≤ 1.0× | $(copy_ok "$arch" warm) |"
    done
    echo "| Registry calls per start, warm (both builds) | $(get calls.warm.total) | = $(get floor.warm.total), the fewest the rules allow | $(calls_ok) |"
    for arch in $(arches); do
        echo "| Time to the logo against its floor, $arch | $(calc "$(get "$arch.logo.ratio.median_x")" 3)× | ≤ 1.5× | $(logo_ok "$arch") |"
    done
    for arch in $(arches); do
        echo "| Time to the logo at 192 DPI against 96, $arch | $(logo_scale_ratio "$arch" 192)× | ≤ 1.3× | $(logo_dpi_ok "$arch") |"
        echo "| Time to the logo at 192 DPI against its floor, $arch | $(calc "$(get "$arch.dpi192.logo.ratio.median_x")" 3)× | ≤ 1.5× | $(logo_floor192_ok "$arch") |"
    done
    for arch in $(arches); do
        echo "| First start's defaults copy against SHCopyKeyA, $arch | $(calc "$(get "$arch.ratio.library_first.median_x")" 3)× | ≤ 1.5× | $(copy_ok "$arch" first) |"
    done
    for arch in $(arches); do
        echo "| DLL size, $arch | $(thousands "$(get "$arch.dll.size")") bytes | ≤ 64 KiB | $(size_ok "$arch") |"
        echo "| Stack per recursion level of the copy, $arch | $(stack_bytes "$arch") bytes | ≤ 256 bytes | $(stack_ok "$arch") |"
    done
}

explain_misses() {
    local part
    local -a missed
    mapfile -t missed < <(misses)
    echo "## Misses: causes and mends"
    echo
    if ((${#missed[@]} == 0)); then
        echo "Every figure met its target in this run."
        echo
    fi
    for part in copy scaling logo memory calls; do "${part}_explain" "${missed[@]}"; done
    local close
    close=$(memory_close_calls)
    if [[ -n $close ]]; then
        echo "## Close to their targets"
        echo
        echo "$close"
        echo
    fi
}

report() {
    cat <<EOF
# Benchmarks

Made by \`scripts/bench.sh\`, started $(get run.started), finished $(get run.finished), on
$(get run.cpu) ($(get run.cores) cores, shared with other work: load average $(get run.load_before) at the
start, $(get run.load_after) at the end), for $(if [[ -n $(figure not_measured.x86) ]]; then
        echo "the x64 build alone, in a 64-bit Wine prefix."
    else
        echo "both Windows builds: x86 (32-bit, run
under WOW64) and x64, each in its own processes in one 64-bit Wine prefix."
    fi)
Timings on a shared machine move by tens of percent from run to run; ratios
are taken between measures made in the same process, interleaved, and are
steadier than the absolute figures: each table gives the spread over its
rounds. Raw results are in \`build/bench/results\`. Nothing here is a test:
no figure fails a build.
$(if [[ -n $(figure not_measured.x86) ]]; then
        echo
        echo "**The x86 rows were not measured in this run**, and read — where a table"
        echo "has them: $(figure not_measured.x86). The x64 build was measured alone."
    fi)

## Targets

| Target | This run | Target | Status |
|---|---|---|---|
$(summary_rows)

EOF
    logo_report
    logo_dpi_report
    copy_report
    startup_report
    calls_report
    memory_report
    scaling_report
    explain_misses
    cat <<EOF
## Notes

- A default value of another type than REG_SZ or REG_EXPAND_SZ (a
  REG_DWORD, say) counts as missing for the user at every start and is
  written again each time, over the user's own value of that name; the
  typical defaults here hold strings only, so the warm start writes nothing.
- "DisableForms" is read twice per start (for the edition and for the mode),
  3 registry calls each; both reads are counted in the fewest calls above.
- Registry calls under Wine cost $(per_call x86 platform_first) µs (x86) and $(per_call x64 platform_first) µs (x64) each in
  this run's copies. Most of a call is waking the wineserver and waiting for
  its answer, and on a virtual machine that depends on whether the other
  CPU is busy: earlier runs, dated in docs/bench-observations.md, found
  round trips ten times dearer on an idle machine than beside a busy CPU.
  The ratios between the copies do not depend on it, both copies being
  made of the same round trips. Absolute times, the start-up's own cost
  and the time to the logo included, compare only between runs of the same
  kind, and a run during which other work on the machine comes or goes
  shows both regimes in its spread.
- No product object of either build calls mingw-w64's own printf$(for arch in $(arches); do [[ $(get "$arch.dll.static_printf") == none ]] || echo -n " (**except in $arch: $(get "$arch.dll.static_printf")**)"; done): the
  diagnostics lines are formatted by msvcrt's \`_vsnprintf\`, an import. That
  printf, linked into the DLL whole, had made it 63.5 KiB.
EOF
}

((report_only)) || measure_all
[[ -s $results/run.figures ]] || die "no run in $results to report on: run scripts/bench.sh first"
collect_figures
record_misses
say "drawing the chart"
draw_copy_chart "docs/$chart_name"
report >BENCHMARKS.md.tmp
mv BENCHMARKS.md.tmp BENCHMARKS.md
cat BENCHMARKS.md
say "wrote BENCHMARKS.md and docs/$chart_name"
