#!/usr/bin/env bash
# Resident memory of the window program, off-screen: idle (a plain start, no port
# open), and while it polls the built-in QZ4 Simulator every 120 ms (--demo). VmRSS
# from /proc/PID/status, SECONDS (default 60) after the start and at a few points on
# the way, so that growth would show.
# Usage: bench/window-memory.sh [BUILD_DIR] [SECONDS]
set -euo pipefail

build=${1:-build-bench}
seconds=${2:-60}
program="$build/src/app/wintesseltest"
home=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    rm -rf "$home"
}
trap cleanup EXIT

# A user of its own (settings, no session bus) and no display.
export HOME="$home" XDG_CONFIG_HOME="$home/config" XDG_DATA_HOME="$home/data"
export XDG_RUNTIME_DIR="$home/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
export QT_QPA_PLATFORM=offscreen
unset DBUS_SESSION_BUS_ADDRESS DISPLAY WAYLAND_DISPLAY

rss_kib() { awk '/^VmRSS:/ { print $2 }' "/proc/$1/status"; }

"$program" >/dev/null 2>&1 &
idle=$!
pids+=("$idle")
"$program" --demo >/dev/null 2>&1 &
demo=$!
pids+=("$demo")

marks=(2 $((seconds / 4)) $((seconds / 2)) "$seconds")
elapsed=0
printf '%8s %12s %12s\n' seconds "idle KiB" "polling KiB"
for mark in "${marks[@]}"; do
    sleep $((mark - elapsed))
    elapsed=$mark
    printf '%8d %12d %12d\n' "$mark" "$(rss_kib "$idle")" "$(rss_kib "$demo")"
done
