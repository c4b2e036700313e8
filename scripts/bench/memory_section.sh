# shellcheck shell=bash
# DLL size of each build, the copy's stack per recursion level (native and
# each Windows build) and heap allocations per start: rows, report and the
# explanation of their misses. Sourced, not run.

# Heap: one subkey list per key that has subkeys (a key without any is not
# listed), two copies per file-type test (the "/nologo" start asks for ".pac"
# and ".frm").
heap_expected_other=4
# heap_ok first|warm: only the subkey lists and the file-type copies allocated.
heap_ok() {
    status "$(get "heap.$1.subkey_lists") == $(get "tree.$1.user_parents") && $(get "heap.$1.other") == $heap_expected_other && $(get "heap.$1.global_alloc") == 0"
}
heap_row() {
    local start=$1 lists other parents
    lists=$(get "heap.$start.subkey_lists")
    other=$(get "heap.$start.other")
    parents=$(get "tree.$start.user_parents")
    echo "| Heap allocations per start, $start start (native) | $(get "heap.$start.calls") ($lists subkey lists + $other file-type copies; $(thousands "$(get "heap.$start.bytes")") bytes) | only the subkey lists (one for each of the $parents keys with subkeys, of $(get "tree.$start.user_keys")) and the file-type copies ($heap_expected_other: two tests, two copies each) | $(heap_ok "$start") |"
}
# size_ok ARCH: whether the DLL fits in 64 KiB.
size_ok() { status "$(get "$1.dll.size") <= 65536"; }
# stack_bytes native|ARCH: the copy's stack per recursion level, in whole bytes.
stack_bytes() {
    if [[ $1 == native ]]; then calc "$(get stack.per_level_bytes)" 0; else calc "$(get "$1.stack.per_level_bytes")" 0; fi
}
stack_ok() { status "$(stack_bytes "$1") <= 256"; }
memory_prepare() {
    local arch start
    need stack.per_level_bytes heap.warm.calls tree.warm.user_parents
    note_status "$(stack_ok native)" stack.native
    for arch in $(arches); do
        need "$arch.dll.size" "$arch.stack.per_level_bytes"
        note_status "$(size_ok "$arch")" "size.$arch"
        note_status "$(stack_ok "$arch")" "stack.$arch"
    done
    for start in first warm; do note_status "$(heap_ok "$start")" "heap_$start"; done
}
memory_report() {
    local arch size
    cat <<EOF
## Size and memory

| Measure | Figure | Target | Status |
|---|---|---|---|
$(for arch in $(arches); do
        size=$(get "$arch.dll.size")
        echo "| TarvexLogo.dll size, $arch | $(thousands "$size") bytes ($(calc "$size / 1024" 1) KiB) | ≤ 64 KiB | $(size_ok "$arch") |"
    done)
| Stack per recursion level of the copy, native (x86-64, Release, winsim) | $(stack_bytes native) bytes | ≤ 256 bytes | $(stack_ok native) |
$(for arch in $(arches); do
        echo "| Stack per recursion level of the copy, $arch (mingw-w64, MinSizeRel, under Wine) | $(stack_bytes "$arch") bytes | ≤ 256 bytes | $(stack_ok "$arch") |"
    done)
$(heap_row first)
$(heap_row warm)

Stack per level: the stack is painted before the copy of a chain of keys
$(get "$(lead).stack.shallow_depth") and $(get "$(lead).stack.deep_depth") levels deep, and the deepest byte written is found afterwards;
the difference divided by the difference in depth is the cost of one level,
whatever the registry functions underneath use. Heap: native, a whole
process attach and detach on winsim with the typical defaults, counting
\`malloc\` calls of the library's code (\`-Wl,--wrap=malloc\`); no
\`GlobalAlloc\` either.

EOF
}

# A DLL near or over its limit: why, from the product objects that link printf in.
size_paragraph() { # HEADLINE ARCH
    local printf_users
    printf_users=$(get "$2.dll.static_printf")
    if [[ -z $printf_users || $printf_users == none ]]; then
        echo "$1 Look at what grew: link TarvexLogo.dll once without \`-s\` and with \`-Wl,-Map\`, and read the map."
        echo
        return
    fi
    cat <<EOF
$1 Cause: $printf_users
calls mingw-w64's own printf, which is linked into the DLL whole (its
formatting engine, floating point included, about 28 KiB), where the C
runtime's is an import that costs nothing. Mend: format through msvcrt's
\`_vsnprintf\` on Windows, as \`Diagnose\` (src/diagnostics/diagnostics.cpp) does.

EOF
}

# memory_explain MISSES...: the causes of the missed size, stack and heap targets among MISSES.
memory_explain() {
    local miss
    for miss; do memory_cause "$miss"; done
}
memory_cause() {
    local miss=$1
    case $miss in
    size.*)
        size_paragraph "**DLL size, ${miss#size.}: $(thousands "$(get "${miss#size.}.dll.size")") bytes, over 64 KiB.**" "${miss#size.}"
        ;;
    stack.*)
        echo "**Stack per level over 256 bytes, ${miss#stack.}: $(stack_bytes "${miss#stack.}") bytes.** \`CopyKeyTree\` should keep its 512-byte buffers out of the recursive frame (they live in \`CopyValues\`, which must stay out of line)."
        echo
        ;;
    heap_*)
        echo "**Heap allocations per ${miss#heap_} start other than expected.** See \`build/bench/results/counts.txt\`; every allocation beyond one subkey list per key with subkeys and two copies per file-type test is new."
        echo
        ;;
    esac
}

# Sizes within 8 KiB of the limit, with the likely cause.
memory_close_calls() {
    local arch
    for arch in $(arches); do
        if [[ $(size_ok "$arch") == met ]] && (($(get "$arch.dll.size") > 57344)); then
            size_paragraph "**DLL size, $arch: $(thousands "$(get "$arch.dll.size")") bytes of 65,536.**" "$arch"
        fi
    done
}
