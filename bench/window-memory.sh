#!/usr/bin/env bash
# Resident memory of the window program: idle (a plain start, no port open), and while
# it polls the built-in QZ4 Simulator every 120 ms (--demo). VmRSS from
# /proc/PID/status at 2 s after the start and at each quarter of SECONDS (default 60),
# so that growth would show. DISPLAY is where the windows go: "offscreen" (the
# default, Qt's offscreen platform, no display at all) or "xvfb" (a real window system:
# an Xvfb display with openbox, the xcb platform, as on a desktop).
# Usage: bench/window-memory.sh [BUILD_DIR] [SECONDS] [offscreen|xvfb]
set -euo pipefail

build=${1:-build-bench}
seconds=${2:-60}
display=${3:-offscreen}
program="$build/src/app/wintesseltest"
here=$(dirname "$0")
work=$(mktemp -d)
pids=()
# shellcheck source=bench/xvfb-desktop.sh
. "$here/xvfb-desktop.sh"
cleanup() {
    for pid in "${pids[@]}"; do
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    stop_desktop
    rm -rf "$work"
}
trap cleanup EXIT

use_private_home "$work"
case $display in
offscreen)
    export QT_QPA_PLATFORM=offscreen
    unset DISPLAY
    ;;
xvfb)
    export QT_QPA_PLATFORM=xcb
    start_desktop "$work"
    ;;
*)
    echo "window-memory.sh: unknown display '$display' (offscreen or xvfb)" >&2
    exit 2
    ;;
esac

rss_kib() { awk '/^VmRSS:/ { print $2 }' "/proc/$1/status"; }

"$program" >/dev/null 2>&1 &
idle=$!
pids+=("$idle")
"$program" --demo >/dev/null 2>&1 &
demo=$!
pids+=("$demo")

marks=(2 $((seconds / 4)) $((seconds / 2)) $((seconds * 3 / 4)) "$seconds")
elapsed=0
printf '%8s %12s %12s   (%s)\n' seconds "idle KiB" "polling KiB" "$display"
for mark in "${marks[@]}"; do
    # A short run has quarters that come before the first mark.
    [ "$mark" -gt "$elapsed" ] || continue
    sleep $((mark - elapsed))
    elapsed=$mark
    printf '%8d %12d %12d\n' "$mark" "$(rss_kib "$idle")" "$(rss_kib "$demo")"
done
