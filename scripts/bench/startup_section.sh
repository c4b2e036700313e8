# shellcheck shell=bash
# The start-up cost against an empty DLL under Wine, for each build. No
# target: the time to the logo is the start's target. Sourced, not run.

startup_prepare() {
    local arch
    for arch in $(arches); do need "$arch.cycle.library.median_us" "$arch.cycle.own_us"; done
    need calls.warm.total
}

startup_rows() {
    local arch=$1 kind label
    for kind in library empty resources; do
        case $kind in
        library) label="TarvexLogo.dll (its start-up loads OxaRes0.dll)" ;;
        empty) label="Empty DLL" ;;
        resources) label="OxaRes0.dll alone" ;;
        esac
        echo "| $arch | $label | $(calc "$(get "$arch.cycle.$kind.median_us")" 0) µs | $(calc "$(get "$arch.cycle.$kind.q1_us")" 0)–$(calc "$(get "$arch.cycle.$kind.q3_us")" 0) µs | $(calc "$(get "$arch.cycle.$kind.min_us")" 0) µs |"
    done
    echo "| $arch | **The library's own cost** (library − empty − resource library) | **$(calc "$(get "$arch.cycle.own_us")" 0) µs** | | |"
}

startup_report() {
    local arch
    cat <<EOF
## Start-up cost (Wine, one process per build)

Load-and-unload cycles (\`LoadLibraryA\` + \`FreeLibrary\`) in one process started
with "/nologo", $(get "$(lead).cycle.count") cycles of each kind, interleaved. The machine holds
a typical set of new-user defaults ($(typical_tree)) that the user already has,
"DisableForms" is "0", and \`OxaRes0.dll\` lies beside the program. The empty
DLL is built with the same runtime start-up code as the library.

| Build | Cycle | Median | IQR | Min |
|---|---|---|---|---|
$(for arch in $(arches); do startup_rows "$arch"; done)

The own cost is mostly registry round trips: a warm start makes
$(get calls.warm.total) registry calls (see "Registry calls per start"), about $(calc "$(get x86.cycle.own_us) / $(get calls.warm.total)" 1) µs each in the x86
build and $(calc "$(get x64.cycle.own_us) / $(get calls.warm.total)" 1) µs in the x64 build here, the rest of the start included.

EOF
}
