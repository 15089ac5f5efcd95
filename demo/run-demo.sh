#!/usr/bin/env bash
# The main job: the card-printer emulator on a private loopback address and
# the demo host program talking to it, both under Wine.
#   demo/run-demo.sh <x64 build dir>
set -euo pipefail
build=$(cd "${1:-build/x64}" && pwd)
runner="$(cd "$(dirname "$0")/.." && pwd)/cmake/wine-run.sh"
prefix="$build/wineprefix"
address=127.77.0.1
port=9100
stop_file="$build/demo.stop"
rm -f "$stop_file"

emu_log="$build/demo-emulator.log"
: >"$emu_log"
"$runner" "$prefix" "$build/bin/QelPrinterEmu.exe" --tcp "$address:$port" --idle 60 \
    --stop-file "Z:${stop_file//\//\\}" </dev/null > >(tee "$emu_log") 2>&1 &
emu=$!
trap 'touch "$stop_file"; wait $emu 2>/dev/null || true; WINEPREFIX="$prefix" wineserver -k 2>/dev/null || true' EXIT
# The first run also boots the Wine prefix; wait until the printer listens.
for _ in $(seq 120); do
    grep -q serving "$emu_log" && break
    sleep 0.5
done
"$runner" "$prefix" "$build/bin/QelDemo.exe" "$address" "$port"
# QelChart, run headless against an emulated printer of its own.
"$runner" "$prefix" "$build/bin/QelChartDemo.exe"
# One print job through QelMon, handed by the test build of its helper
# library to an emulated USB printer.
"$runner" "$prefix" "$build/bin/QelMonDemo.exe"
# QelUI, loaded by the spooler client for a printer installed on the port of
# an emulated printer of its own: the driver's DEVMODE and capability answers.
"$runner" "$prefix" "$build/bin/QelUiDemo.exe"
# One state record and one alert along the notification road, headless.
"$runner" "$prefix" "$build/bin/notify/QelNotifyDemo.exe"
# QelUI's printing-preferences sheet for a printer on the port of an emulated
# printer of its own: the ribbon detected and the Tool page's information.
"$runner" "$prefix" "$build/bin/QelToolPageDemo.exe"
