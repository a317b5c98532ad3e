#!/usr/bin/env bash
# Processor time of the window program while it polls the built-in QZ4 Simulator every
# 120 ms (--demo), on a real window system: an Xvfb display with openbox, the xcb
# platform. After WARMUP seconds (default 10) it reads utime+stime from /proc/PID/stat
# for the program and for the X server, waits SECONDS (default 60), reads again, and
# prints both as a percentage of one core; REPEATS times (default 3) on the same
# window, then the medians. CASE "limit" polls a still simulator with a noisy sensor 23
# under a per-sensor limit, so that the statistics run at every tick and the sensor is
# flagged; "diagnosis" does the same with the Sensor 23 and Sensor Chart windows open,
# which repaint at every tick too; "view" and "chart" with one of them open.
# Usage: bench/window-cpu.sh [BUILD_DIR] [SECONDS] [REPEATS] [WARMUP] [CASE]
set -euo pipefail

build=${1:-build-bench}
seconds=${2:-60}
repeats=${3:-3}
warmup=${4:-10}
case=${5:-plain}
program="$build/src/app/wintesseltest"
here=$(dirname "$0")
work=$(mktemp -d)
pid=""
# shellcheck source=bench/xvfb-desktop.sh
. "$here/xvfb-desktop.sh"
cleanup() {
    if [ -n "$pid" ]; then
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    fi
    stop_desktop
    rm -rf "$work"
}
trap cleanup EXIT

# A user of its own on a display of its own.
use_private_home "$work"
export QT_QPA_PLATFORM=xcb
start_desktop "$work"

options=(--demo)
if [ "$case" != plain ]; then
    options+=(--sim-still --sim-fault 23:noisy:20 --max-sensor-rms 3)
fi
"$program" "${options[@]}" >"$work/program.log" 2>&1 &
pid=$!
wait_for_window "$pid" || { cat "$work/program.log" >&2; echo "no window" >&2; exit 1; }
frame=$(xdotool search --onlyvisible --pid "$pid" --name ' - WinTesselTest$' | head -1)
if [ "$case" = diagnosis ] || [ "$case" = view ]; then
    # A click in sensor 23's column (the view starts below the menu bar and the
    # toolbar) opens its window.
    xdotool mousemove --window "$frame" 244 350 click 1
    timeout 20 xdotool search --sync --onlyvisible --pid "$pid" --name '^Sensor 23$' >/dev/null ||
        { echo "no Sensor 23 window" >&2; exit 1; }
fi
if [ "$case" = diagnosis ] || [ "$case" = chart ]; then
    xdotool windowactivate --sync "$frame" key alt+v c
    timeout 20 xdotool search --sync --onlyvisible --pid "$pid" --name '^Sensor Chart$' \
        >/dev/null || { echo "no Sensor Chart window" >&2; exit 1; }
fi
sleep "$warmup"

ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
hz=$(getconf CLK_TCK)
printf '%6s %14s %14s\n' run "window %core" "Xvfb %core"
results=()
for run in $(seq "$repeats"); do
    kill -0 "$pid" 2>/dev/null || { cat "$work/program.log" >&2; echo "the program ended" >&2; exit 1; }
    w0=$(ticks "$pid") x0=$(ticks "$desktop_server") t0=$(date +%s.%N)
    sleep "$seconds"
    w1=$(ticks "$pid") x1=$(ticks "$desktop_server") t1=$(date +%s.%N)
    line=$(awk -v w="$((w1 - w0))" -v x="$((x1 - x0))" -v hz="$hz" -v t0="$t0" -v t1="$t1" \
        'BEGIN { s = t1 - t0; printf "%.3f %.3f", 100 * w / hz / s, 100 * x / hz / s }')
    printf '%6d %14s %14s\n' "$run" ${line}
    results+=("$line")
done
printf '%s\n' "${results[@]}" | sort -n -k1,1 | awk '{ w[NR] = $1 } END {
    printf "median of %d runs of '"$seconds"' s: window %.3f %% of one core\n", NR,
        NR % 2 ? w[(NR + 1) / 2] : (w[NR / 2] + w[NR / 2 + 1]) / 2 }'
printf '%s\n' "${results[@]}" | sort -n -k2,2 | awk '{ x[NR] = $2 } END {
    printf "median of %d runs: Xvfb %.3f %% of one core\n", NR,
        NR % 2 ? x[(NR + 1) / 2] : (x[NR / 2] + x[NR / 2 + 1]) / 2 }'
