#!/usr/bin/env bash
# Builds everything (the native build on winsim, and the 32-bit and 64-bit
# DLLs, resource libraries and probes) and runs the demo: the probe loads
# TarvexLogo.dll under Wine, in a 64-bit prefix, as the host application does
# and prints what the library settled.
#
#   scripts/demo.sh                  the 32-bit build (under WOW64); the mode dialog
#                                    is answered "main mode" by script
#   scripts/demo.sh /form            any switches for the library go after it
#   DEMO_BUILD=win64 scripts/demo.sh the 64-bit build
#   DEMO_BY_HAND=1 scripts/demo.sh   nothing is answered: click the dialog yourself
#                                    (needs a real X display in DISPLAY)
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
jobs=$(nproc 2>/dev/null || echo 2)
build=${DEMO_BUILD:-win32}
case $build in
    win32) wine=wine ;;
    win64) wine=/usr/lib/wine/wine64 ;;
    *) echo "demo: DEMO_BUILD is win32 or win64, not $build" >&2; exit 2 ;;
esac
for preset in native win32 win64; do
    echo "demo: building the $preset preset"
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" -j "$jobs" >/dev/null
done

out=$PWD/build/demo
mkdir -p "$out"
rm -f "$out/report.json" "$out/logo.png"
bin=$PWD/build/$build/bin

echo "demo: loading the $build TarvexLogo.dll with the probe under Wine"
if [[ -n ${DEMO_BY_HAND:-} ]]; then
    WINEPREFIX=$out/prefix64 WINEARCH=win64 WINEDEBUG=-all "$wine" "$bin/startup-probe.exe" --timeout 0 \
        --capture 'build\demo\logo.png' --report 'build\demo\report.json' "$@"
else
    # Paths relative to this folder, the probe's working directory.
    scripts/wine-session.sh --prefix "$out/prefix64" -- \
        "$wine" "$bin/startup-probe.exe" --dialog-click 391 --answer 7 --status "Loading modules..." \
        --status "Opening the last project..." --capture 'build\demo\logo.png' \
        --report 'build\demo\report.json' "$@" 2>"$out/events.jsonl"
fi
echo "report      build/demo/report.json: every field, and the library's own diagnostics"
echo "events      build/demo/events.jsonl: the message boxes and the dialog as they appeared"
