# shellcheck shell=bash
# The time to the logo under Wine, for each build, against its floor, with
# where the library's own share goes: rows, report and the explanation of a
# miss. Sourced, not run.

# logo_ok ARCH: whether the time to the logo met its target against the floor.
logo_ok() { status "$(get "$1.logo.ratio.median_x") <= 1.5"; }
# logo_scale_ratio ARCH DPI: the library's time to the logo at DPI over its time at 96, the median of the rounds.
logo_scale_ratio() { calc "$(get "$1.dpi$2.logo.library.against96_x")"; }
# logo_stretched_ratio ARCH DPI: the same with a resource library without the larger logos.
logo_stretched_ratio() { calc "$(get "$1.stretched$2.logo.library.against96_x")"; }
# logo_dpi_ms ARCH KIND: a median over the rounds of KIND (dpi96, dpi192, stretched144...) in milliseconds.
logo_dpi_ms() { calc "$(get "$1.$2.logo.${3:-library}.median_us") / 1000" 2; }
# logo_dpi_ok ARCH: at 192 DPI at most 1.3 times the time at 96.
logo_dpi_ok() { status "$(logo_scale_ratio "$1" 192) <= 1.3"; }
# logo_floor192_ok ARCH: at 192 DPI within 1.5 times the floor drawing the same picture.
logo_floor192_ok() { status "$(get "$1.dpi192.logo.ratio.median_x") <= 1.5"; }
logo_prepare() {
    local arch
    for arch in $(arches); do
        need "$arch.logo.library.median_us" "$arch.logo.ratio.median_x" "$arch.logo.phase.count" "$arch.logo.line_us" \
            "$arch.dpi192.logo.library.median_us" "$arch.dpi192.logo.window" "$arch.dpi144.logo.library.median_us" \
            "$arch.stretched144.logo.library.against96_x" "$arch.stretched192.logo.library.against96_x" \
            "$arch.dpi96.logo.library.median_us" "$arch.dpi192.logo.floor.against96_x"
        note_status "$(logo_ok "$arch")" "logo.$arch"
        note_status "$(logo_dpi_ok "$arch")" "logo_dpi.$arch"
        note_status "$(logo_floor192_ok "$arch")" "logo_floor192.$arch"
    done
    need phase.0.registry_calls
}

# logo_ms ARCH KEY: a median in µs as milliseconds.
logo_ms() { calc "$(get "$1.logo.$2.median_us") / 1000" 2; }
# The library's own share of its time to the logo, in per cent.
logo_share() { calc "100 * $(get "$1.logo.own.median_us") / $(get "$1.logo.library.median_us")" 0; }

logo_rows() {
    local arch=$1
    echo "| $arch | TarvexLogo.dll, $(get "$arch.logo.switch"), warm start | $(logo_ms "$arch" library) ms | $(spread "$arch.logo.library" us 0) µs | **$(calc "$(get "$arch.logo.ratio.median_x")" 3)×** ($(calc "$(get "$arch.logo.ratio.q1_x")")–$(calc "$(get "$arch.logo.ratio.q3_x")")) | $(calc "$(get "$arch.logo.library.min_us") / $(get "$arch.logo.floor.min_us")")× | ≤ 1.5× | $(logo_ok "$arch") |"
    echo "| $arch | BenchLogoFloor.dll, the floor | $(logo_ms "$arch" floor) ms | $(spread "$arch.logo.floor" us 0) µs | 1× | 1× | | |"
    echo "| $arch | Empty DLL, for scale | $(logo_ms "$arch" empty) ms | $(spread "$arch.logo.empty" us 0) µs | | | | |"
}

# One row per phase: each build's median, the calls it makes on winsim, the line ending it.
logo_phase_rows() {
    local i count line
    count=$(get "$(lead).logo.phase.count")
    for ((i = 0; i < count; i++)); do
        line=$(get "$(lead).logo.phase.$i.line")
        # The resource library's line names a folder of this machine.
        line=$(sed 's/^resource library .*\\\(OxaRes[0-9]*\.dll\)/resource library …\\\1/' <<<"$line")
        echo "| $((i + 1)). $(get "$(lead).logo.phase.$i.name") | $(calc "$(get "x86.logo.phase.$i.median_us")" 0) µs | $(calc "$(get "x64.logo.phase.$i.median_us")" 0) µs | $(get "phase.$i.registry_calls") | $(get "phase.$i.api_calls") | ${line:+\`$line\`} |"
    done
}

# Registry calls of the start that shows the logo, all phases.
logo_registry_calls() {
    local i total=0
    for ((i = 0; i < $(get "$(lead).logo.phase.count"); i++)); do total=$((total + $(get "phase.$i.registry_calls"))); done
    echo "$total"
}
# The defaults copy alone: the first phase less what loading an empty DLL costs.
logo_copy_us() { calc "$(get "$1.logo.phase.0.median_us") - $(get "$1.logo.empty.median_us")" 0; }
# logo_phase_us ARCH INDEX: one phase's median, in whole µs.
logo_phase_us() { calc "$(get "$1.logo.phase.$2.median_us")" 0; }
# Index of the logo's phase: the last but one, before the return from the load.
logo_phase_index() { echo $(($(get "$(lead).logo.phase.count") - 2)); }
# What the floor does: the resource library and the logo phases of the library.
logo_shown_us() { calc "$(get "$1.logo.phase.3.median_us") + $(get "$1.logo.phase.$(logo_phase_index).median_us")" 0; }
# The floor's whole showing of the logo: the floor less the empty DLL.
logo_floor_show_us() { calc "$(get "$1.logo.floor.median_us") - $(get "$1.logo.empty.median_us")" 0; }
logo_show_extra_us() { calc "$(logo_shown_us "$1") - $(logo_floor_show_us "$1")" 0; }
# The decisions between: language, code page, clock and edition, mode, language of the mode.
logo_decisions_us() {
    calc "$(get "$1.logo.phase.1.median_us") + $(get "$1.logo.phase.2.median_us") + $(get "$1.logo.phase.4.median_us") + $(get "$1.logo.phase.5.median_us") + $(get "$1.logo.phase.6.median_us")" 0
}
logo_decision_calls() {
    echo $(($(get phase.1.registry_calls) + $(get phase.2.registry_calls) + $(get phase.4.registry_calls) + $(get phase.5.registry_calls) + $(get phase.6.registry_calls)))
}
logo_lines() { echo $(($(get "$(lead).logo.phase.count") - 1)); }
logo_lines_us() { calc "$(logo_lines) * $(get "$1.logo.line_us")" 0; }
# What the timing handler changed: the lines' cost with it less without it, all lines.
logo_handler_us() { calc "$(logo_lines) * ($(get "$1.logo.line_timed_us") - $(get "$1.logo.line_us"))" 0; }

logo_report() {
    local arch
    cat <<EOF
## Time to the logo (Wine, one process per build)

From the host's \`LoadLibraryA\` call to the logo window painted, at a warm
start (the typical defaults, all present for the user; "DisableForms" "0")
with the mode given by the switch $(get "$(lead).logo.switch") on the command line, at 24 bits
per pixel. The library paints the logo inside its load, so the load's
return is the time to the logo: after every timed load the benchmark checks
that the window is visible with nothing left to paint (loads that returned
unpainted: library $(get x86.logo.library.unpainted) and floor $(get x86.logo.floor.unpainted) in the x86 build, $(get x64.logo.library.unpainted) and $(get x64.logo.floor.unpainted) in the x64 build).
The floor is \`BenchLogoFloor.dll\` (bench/wine/logo_floor_library.cpp): its load
only loads the same \`OxaRes0.dll\` from the host's folder, makes the same
bitmap ($(get "$(lead).logo.bitmap")) into a device bitmap with \`LoadBitmapA\`, and shows it in the same
kind of window, a centred popup with a dialog frame, painted by
\`UpdateWindow\` before its load returns; before timing, the benchmark checks
that both windows stand at the same place ($(get "$(lead).logo.window")) and show the same
pixels. $(get "$(lead).logo.rounds") rounds after 5 warm-up rounds, each round loading the library,
the floor and an empty DLL in turn, each unloaded again and the host's
messages dispatched before the next.

| Build | Load | Median | Spread over the rounds: min–max (IQR) | Ratio to the floor: median of the per-round ratios (IQR) | Ratio of the fastest rounds | Target | Status |
|---|---|---|---|---|---|---|---|
$(for arch in $(arches); do logo_rows "$arch"; done)

**The library's own share** (median of the per-round differences from the
floor): $(calc "$(get x86.logo.own.median_us)" 0) µs, $(logo_share x86)% of its time to the logo, in the x86 build;
$(calc "$(get x64.logo.own.median_us)" 0) µs, $(logo_share x64)%, in the x64 build.

**Where the library's time goes.** The same start, $(get "$(lead).logo.breakdown.cycles") more times, with
each of the library's diagnostics lines timed as it is written: \`OutputDebugStringW\` hands it to \`OutputDebugStringA\`, which
raises an exception before it looks for a debug-output viewer, and a
vectored exception handler of the host takes the time on the library's own
thread, with no monitor thread in between. Each line ends one phase of the
start; the calls each phase makes are counted on winsim for the same start
(bench_startup_counts). Medians per phase:

| Phase, ended by the line | x86 | x64 | Registry calls | All API calls | Line |
|---|---|---|---|---|---|
$(logo_phase_rows)
| **Whole load, timed this way** | **$(calc "$(get x86.logo.breakdown.total.median_us)" 0) µs** | **$(calc "$(get x64.logo.breakdown.total.median_us)" 0) µs** | $(logo_registry_calls) | | |

In words, for the x86 build (x64 in brackets):

- The first phase holds the loader's own work on the DLL, which an empty DLL
  shows ($(calc "$(get x86.logo.empty.median_us)" 0) µs [$(calc "$(get x64.logo.empty.median_us)" 0) µs] in the table above), and the defaults copy:
  about $(logo_copy_us x86) µs [$(logo_copy_us x64) µs] for its $(get phase.0.registry_calls) registry calls, the bulk of the library's
  own share. They are the fewest the rules allow (see "Registry calls per
  start"): a warm start must read every default to leave the user's
  settings alone.
- The resource library and the logo phases, which do what the floor does,
  take $(logo_shown_us x86) µs [$(logo_shown_us x64) µs] against the floor's whole showing of the logo,
  $(logo_floor_show_us x86) µs [$(logo_floor_show_us x64) µs] (the floor less the empty DLL): $(logo_show_extra_us x86) µs [$(logo_show_extra_us x64) µs] more, for the
  library looked for before it is loaded and its title string, the bitmap
  made with its own palette from the resource's colour table and that
  palette realized at the first paint, the font, the display depth asked
  twice and the language read again for the font's character set
  ($(get "phase.$(logo_phase_index).registry_calls") registry calls).
- The decisions between them, the language, code-page, clock, edition and
  mode, take $(logo_decisions_us x86) µs [$(logo_decisions_us x64) µs] together, $(logo_decision_calls) registry calls.
- Each of the $(logo_lines) diagnostics lines costs $(get x86.logo.line_us) µs [$(get x64.logo.line_us) µs] without a viewer
  (\`OutputDebugStringW\` timed in the same process), $(logo_lines_us x86) µs [$(logo_lines_us x64) µs] in all, a
  part of each phase. The timing handler changes a line's cost to
  $(get x86.logo.line_timed_us) µs [$(get x64.logo.line_timed_us) µs], $(logo_handler_us x86) µs [$(logo_handler_us x64) µs] over the whole start: by that much the
  breakdown's total differs from the timed loads for this cause; beyond it,
  the two are medians of different rounds on a shared machine.

EOF
}

# logo_dpi_rows ARCH: the library's time to the logo at 96, 144 and 192 DPI, and against the floor at 192.
logo_dpi_rows() {
    local arch=$1
    echo "| $arch | $(logo_dpi_ms "$arch" dpi96) ms | $(logo_dpi_ms "$arch" dpi144) ms ($(logo_scale_ratio "$arch" 144)×) | $(logo_dpi_ms "$arch" dpi192) ms (**$(logo_scale_ratio "$arch" 192)×**, $(logo_dpi_ok "$arch")) | $(logo_dpi_ms "$arch" dpi192 floor) ms ($(calc "$(get "$arch.dpi192.logo.floor.against96_x")")×) | **$(calc "$(get "$arch.dpi192.logo.ratio.median_x")" 3)×** ($(logo_floor192_ok "$arch")) |"
}
# logo_stretch_rows ARCH: the library's time at 144 and 192 DPI with and without the larger logos.
logo_stretch_rows() {
    local arch=$1 dpi kind
    for kind in dpi stretched; do
        printf '| %s | %s |' "$arch" "$([[ $kind == dpi ]] && echo "with the 150% and 200% logos, drawn pixel for pixel" ||
            echo "without them: the 100% logo stretched")"
        for dpi in 144 192; do
            printf ' %s ms (%s×) |' "$(logo_dpi_ms "$arch" "$kind$dpi")" \
                "$([[ $kind == dpi ]] && logo_scale_ratio "$arch" "$dpi" || logo_stretched_ratio "$arch" "$dpi")"
        done
        echo
    done
}

logo_dpi_report() {
    cat <<EOF
## Time to the logo at 144 and 192 DPI

The same warm start and rounds as above, in Wine sessions whose display
reports 96, 144 and 192 DPI (\`LogPixels\`): the library draws the resource
library's picture for that scale, $(get "$(lead).dpi192.logo.bitmap") at 192, pixel for pixel; the
floor shows the same picture at its size. The library's windows: $(get "$(lead).dpi144.logo.window") at 144, $(get "$(lead).dpi192.logo.window") at 192.
A session's round trips to the wineserver may cost several times another's
on this machine, so the three sessions run one after the other in each of
$(get run.dpi_rounds) rounds, and a time against 96 DPI is the median of the rounds' ratios;
times are the medians of the rounds' medians. Targets: at 192 DPI at most
1.3× the time at 96, and within 1.5× of the floor.

| Build | 96 DPI | 144 DPI (against 96) | 192 DPI (against 96) | Floor at 192 DPI (against its time at 96) | Library against the floor at 192 |
|---|---|---|---|---|---|
$(for arch in $(arches); do logo_dpi_rows "$arch"; done)

The cost of the stretch: the same starts with a resource library that has
no logos drawn for larger scales (\`BenchOxaRes0NoVariants\`, the same
\`OxaRes0.dll\` less the 150% and 200% bitmaps), in which the library
enlarges the 100% logo with HALFTONE inside its first paint. Medians of the
rounds' medians, against the time at 96 DPI of the same round.

| Build | Resource library | 144 DPI (against 96) | 192 DPI (against 96) |
|---|---|---|---|
$(for arch in $(arches); do logo_stretch_rows "$arch"; done)

EOF
}

# logo_explain MISSES...: the causes of the missed times to the logo among MISSES.
logo_explain() {
    local miss explained=" "
    for miss; do
        case $miss in
        logo.*) logo_cause "${miss#logo.}" ;;
        logo_dpi.* | logo_floor192.*)
            # One explanation a build, whichever of its two targets at 192 missed.
            [[ $explained == *" ${miss#*.} "* ]] && continue
            explained+="${miss#*.} "
            logo_dpi_cause "${miss#*.}"
            ;;
        esac
    done
}
# logo_dpi_cause ARCH: the time at 192 DPI against the time at 96 and against the floor.
logo_dpi_cause() {
    local arch=$1
    echo "**Time to the logo at 192 DPI, ${build_label[$arch]}: $(logo_scale_ratio "$arch" 192)× the time at 96 (target 1.3×, $(logo_dpi_ok "$arch" | tr -d '*')),"
    echo "$(calc "$(get "$arch.dpi192.logo.ratio.median_x")" 3)× the floor drawing the same picture (target 1.5×, $(logo_floor192_ok "$arch" | tr -d '*')).**"
    if [[ $(logo_dpi_ok "$arch") != met ]]; then
        cat <<EOF
The floor itself, which only loads the resource library and shows the
picture, takes $(calc "$(get "$arch.dpi192.logo.floor.against96_x")")× at 192 what it takes at 96: four times the pixels to make
into a device bitmap and to show, which any library that shows the 200%
picture pays as well.
EOF
    fi
    cat <<EOF
What the library adds at 192 beyond the floor is $(calc "$(get "$arch.dpi192.logo.library.median_us") - $(get "$arch.dpi192.logo.floor.median_us")" 0) µs, against
$(calc "$(get "$arch.dpi96.logo.library.median_us") - $(get "$arch.dpi96.logo.floor.median_us")" 0) µs at 96: the start's registry round trips, as at 96, and the 100%
bitmap, which it makes first for the logo's size. Stretching the 100% logo
instead costs $(logo_stretched_ratio "$arch" 192)× the time at 96 (table above) and gives the softer picture.

EOF
}
# logo_cause ARCH: why the time to the logo missed its target.
logo_cause() {
    local arch=$1
    cat <<EOF
**Time to the logo, ${build_label[$arch]}: $(calc "$(get "$arch.logo.ratio.median_x")" 3)× its floor (target 1.5×, median of the
per-round ratios; IQR $(calc "$(get "$arch.logo.ratio.q1_x")")–$(calc "$(get "$arch.logo.ratio.q3_x")")×, fastest rounds $(calc "$(get "$arch.logo.library.min_us") / $(get "$arch.logo.floor.min_us")")×).** The library spends
$(calc "$(get "$arch.logo.own.median_us")" 0) µs more than the floor, where $(calc "$(get "$arch.logo.floor.median_us") / 2" 0) µs would have met the target. By
the breakdown: the defaults copy about $(logo_copy_us "$arch") µs for its $(get phase.0.registry_calls) registry calls;
the resource library and the logo $(logo_show_extra_us "$arch") µs more than the floor takes to show
the same logo; the decisions between them $(logo_decisions_us "$arch") µs ($(logo_decision_calls) registry calls).
So the registry round trips of the copy are most of the miss: in this run
the copy benchmark paid $(per_call "$arch" library_warm) µs per registry call. Their number is the
fewest the rules allow at a warm start (see "Registry calls per start"), so
no mend in the library takes them out; what moves this ratio is what a
round trip to the wineserver costs, which depends on the machine (see
Notes, and the earlier runs in docs/bench-observations.md). On Windows a
registry read does not leave the process, and the copy's share is far
smaller.

EOF
}
