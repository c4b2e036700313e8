#!/usr/bin/env bash
# long_folder_run.sh BIN WINE: runs the probe from a host folder whose full
# name passes 260 characters, started from the Unix side (Wine's CreateProcess
# refuses such a program), then has e2e_tests.exe check the report. BIN is the
# build's bin folder, WINE the loader for the build's bitness. Runs inside a
# wine-session.
set -euo pipefail
bin=$(cd "$1" && pwd)
wine=$2
level=$(printf 'l%.0s' {1..90})
folder=$bin/../e2e-work/$level/$level/"Программы $level"
rm -rf "$bin/../e2e-work/$level"
mkdir -p "$folder"
folder=$(cd "$folder" && pwd)
cp "$bin/startup-probe.exe" "$bin/TarvexLogo.dll" "$bin/OxaRes0.dll" "$folder/"
report=$bin/../e2e-work/long-folder-report.json
# Out of the folder, so the probe's working directory stays short.
cd "$bin"
"$wine" "$folder/startup-probe.exe" --dialog-click 392 --expect-bitmap SVGA_LOGO_PELTRA >"$report"
# The prefix maps the Unix root as drive Z: (winepath cuts names at 260).
windows_name() { local name=${1//\//\\}; echo "Z:$name"; }
TARVEX_LONG_FOLDER=$(windows_name "$folder") TARVEX_LONG_FOLDER_REPORT=$(windows_name "$report") \
    "$wine" "$bin/e2e_tests.exe" --gtest_filter='*LongFolder*'
