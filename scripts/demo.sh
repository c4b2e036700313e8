#!/usr/bin/env bash
# Builds the library, the resource libraries and the probe of one Windows
# build and runs the demo: the probe loads TarvexLogo.dll under Wine, in a
# 64-bit prefix, as the host application does and prints what the library
# settled.
#
#   scripts/demo.sh                  the 32-bit build (under WOW64), or the 64-bit
#                                    one where 32-bit programs cannot run; the mode
#                                    dialog is answered "main mode" by script
#   scripts/demo.sh /form            any switches for the library go after it
#   DEMO_BUILD=win64 scripts/demo.sh the 64-bit build
#   DEMO_BY_HAND=1 scripts/demo.sh   nothing is answered: click the dialog yourself
#                                    (needs a real X display in DISPLAY)
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/machine.sh

scripts/install-deps.sh
probe_32bit demo
jobs=$(nproc 2>/dev/null || echo 2)
if [[ -z ${DEMO_BUILD:-} ]] && ((!runs_32bit)); then
    echo "demo: showing the 64-bit build, since $no_32bit_reason"
fi
build=${DEMO_BUILD:-$( ((runs_32bit)) && echo win32 || echo win64)}
case $build in
    win32) wine=wine ;;
    win64) wine=$wine64 ;;
    *) echo "demo: DEMO_BUILD is win32 or win64, not $build" >&2; exit 2 ;;
esac
if [[ $build == win32 ]] && ((!runs_32bit)); then
    echo "demo: the 32-bit build cannot run here: $no_32bit_reason; DEMO_BUILD=win64 shows the 64-bit one" >&2
    exit 1
fi
out=$PWD/build/demo
mkdir -p "$out"
rm -f "$out/report.json" "$out/logo.png" "$out/events.jsonl"

echo "demo: building the $build library, resource libraries and probe"
# The build's chatter goes to a log, shown whole when the build fails.
build_log=$out/build-$build.log
if ! { cmake --preset "$build" &&
    cmake --build --preset "$build" -j "$jobs" --target TarvexLogo resource_libraries startup-probe; } >"$build_log" 2>&1; then
    cat "$build_log" >&2
    echo "demo: building the $build preset failed (the log above is $build_log)" >&2
    exit 1
fi
bin=$PWD/build/$build/bin

echo "demo: loading the $build TarvexLogo.dll with the probe under Wine"
if [[ -n ${DEMO_BY_HAND:-} ]]; then
    WINEPREFIX=$out/prefix64 WINEARCH=win64 WINEDEBUG=-all "$wine" "$bin/startup-probe.exe" --timeout 0 \
        --capture 'build\demo\logo.png' --report 'build\demo\report.json' "$@"
else
    # Paths relative to this folder, the probe's working directory. Only the
    # probe's stderr goes to the events file: the session's own failures
    # reach the terminal.
    status=0
    scripts/wine-session.sh --prefix "$out/prefix64" -- bash -c '"$@" 2>"$0"' "$out/events.jsonl" \
        "$wine" "$bin/startup-probe.exe" --dialog-click 391 --answer 7 --status "Loading modules..." \
        --status "Opening the last project..." --capture 'build\demo\logo.png' \
        --report 'build\demo\report.json' "$@" || status=$?
    if ((status != 0)); then
        events=
        [[ -s $out/events.jsonl ]] && events=" (the probe's events: build/demo/events.jsonl)"
        echo "demo: the run under Wine ended with exit code $status$events" >&2
        exit "$status"
    fi
fi
echo "report      build/demo/report.json: every field, and the library's own diagnostics"
echo "events      build/demo/events.jsonl: the message boxes and the dialog as they appeared"
