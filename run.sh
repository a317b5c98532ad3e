#!/usr/bin/env bash
# Sets up everything WinTesselTest needs on Debian or Ubuntu, builds it and starts it
# on the built-in QZ4 Simulator. Arguments, if any, go to the program instead.
# Without a display it runs a scan on the simulator with the headless runner.
set -euo pipefail
cd "$(dirname "$0")"

scripts/install-deps.sh run
# A build folder of its own (CMakePresets.json), so a start never rebuilds the tests'.
cmake --preset release >/dev/null
cmake --build --preset release -j"$(nproc)" --target wintesseltest wintesseltest-cli

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    if [ $# -eq 0 ]; then
        set -- --demo
    fi
    exec build-release/src/app/wintesseltest "$@"
fi

echo "No display: scanning the QZ4 Simulator with the headless runner." >&2
build-release/src/cli/wintesseltest-cli scan --setup --ticks 50 --stats \
    --report scan-report.wtt --png scan-view.png
echo "Report: $PWD/scan-report.wtt  Picture: $PWD/scan-view.png" >&2
