#!/usr/bin/env bash
# Start-up time of the window program to its first painted window, off-screen: runs
# bench/StartupProbe (the program's own start, ended after the view's first paint)
# RUNS times (default 21) and prints the medians from the moment the process is
# started: to main(), and to the end of the first paint.
# Usage: bench/startup.sh [BUILD_DIR] [RUNS]   (a Release build with WT_BUILD_BENCH=ON)
set -euo pipefail

build=${1:-build-bench}
runs=${2:-21}
probe="$build/bench/StartupProbe"
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT

# A user of its own (settings, no session bus) and no display.
export HOME="$home" XDG_CONFIG_HOME="$home/config" XDG_DATA_HOME="$home/data"
export XDG_RUNTIME_DIR="$home/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
export QT_QPA_PLATFORM=offscreen
unset DBUS_SESSION_BUS_ADDRESS DISPLAY WAYLAND_DISPLAY

"$probe" >/dev/null 2>&1 # the first start fills the file caches
for _ in $(seq "$runs"); do
    WT_STARTED_US=${EPOCHREALTIME/./} "$probe" 2>/dev/null
done | awk -v runs="$runs" '
    { main[NR] = $2; paint[NR] = $6 }
    function median(a, n,   i, j, t) {
        for (i = 1; i <= n; ++i) for (j = i + 1; j <= n; ++j) if (a[j] < a[i]) { t = a[i]; a[i] = a[j]; a[j] = t }
        return n % 2 ? a[(n + 1) / 2] : (a[n / 2] + a[n / 2 + 1]) / 2
    }
    END {
        if (NR != runs) { print "startup.sh: " NR " of " runs " runs reported" > "/dev/stderr"; exit 1 }
        printf "%d runs, medians: main() after %.1f ms, first paint ended after %.1f ms\n",
            runs, median(main, NR) / 1000, median(paint, NR) / 1000
    }'
