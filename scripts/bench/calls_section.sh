# shellcheck shell=bash
# Registry calls per start against the floor counted from the rules (native,
# winsim; the same for both builds, which run the same code): status, report
# and the explanation of a miss. Sourced, not run.

declare -ra registry_functions=(RegOpenKeyExA RegCreateKeyExA RegCloseKey RegQueryInfoKeyA RegEnumValueA
    RegQueryValueExA RegSetValueExA RegEnumKeyExA)
# Whether every function stayed within its own floor, not just the total.
calls_ok() {
    local f start condition
    condition="$(get calls.first.other_registry) == 0 && $(get calls.warm.other_registry) == 0"
    condition+=" && $(get calls.first.total) == $(get floor.first.total) && $(get calls.warm.total) == $(get floor.warm.total)"
    for f in "${registry_functions[@]}"; do
        for start in first warm; do condition+=" && $(get "calls.$start.$f") <= $(get "floor.$start.$f")"; done
    done
    status "$condition"
}
calls_prepare() {
    need calls.warm.total floor.warm.total calls.first.other_registry
    note_status "$(calls_ok)" calls
}
calls_report() {
    local f
    cat <<EOF
## Registry calls per start (winsim)

A whole process attach and detach with "/nologo" and the typical defaults
($(typical_tree); $(get tree.warm.user_parents) keys have subkeys, $(get tree.warm.keys_without_values) has no values). First start: the
user has none of it; warm start: all of it. Both builds run the same code,
so one count serves both. The fewest calls, when every call succeeds: per
source key one RegQueryInfoKeyA, whose counts bound both walks, so one
RegEnumValueA per value and one RegEnumKeyExA per subkey, with no call for
the end of either and no listing of a key without subkeys; one presence
read (RegQueryValueExA) per value of a destination key that existed before
the start (none at a first start: RegCreateKeyExA reports a key it made,
REG_CREATED_NEW_KEY, and such a key holds nothing to read); one
RegSetValueExA per missing value; one open per source subkey, one create
per destination subkey, one close per handle; the two top keys; and two
language reads and two "DisableForms" reads of open, query and close each.

| Function | First start | Fewest | Warm start | Fewest |
|---|---|---|---|---|
$(for f in "${registry_functions[@]}"; do echo "| $f | $(get "calls.first.$f") | $(get "floor.first.$f") | $(get "calls.warm.$f") | $(get "floor.warm.$f") |"; done)
| **All registry calls** | **$(get calls.first.total)** | **$(get floor.first.total)** | **$(get calls.warm.total)** | **$(get floor.warm.total)** |

Target: registry calls per start equal to the fewest, no function above its
own: $(calls_ok). Other registry functions called: $(get calls.first.other_registry); registry handles
left open: $(get calls.warm.registry_handles_left).

EOF
}

# calls_explain MISSES...: which functions went over their floor, when MISSES name the calls.
calls_explain() {
    [[ " $* " == *" calls "* ]] || return 0
    local over="" f start
    for f in "${registry_functions[@]}"; do
        for start in first warm; do
            if is_true "$(get "calls.$start.$f") > $(get "floor.$start.$f")"; then
                over+="${over:+, }$f at a $start start ($(get "calls.$start.$f") against $(get "floor.$start.$f"))"
            fi
        done
    done
    echo "**Registry calls above the fewest:** ${over:-other registry functions called}. Compare"
    echo "\`build/bench/results/counts.txt\` with the table: a function above its floor does"
    echo "work the rules do not need; \`winsim::Calls()\` of one start shows where."
    echo
}
