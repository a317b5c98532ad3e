#!/usr/bin/env bash
# Soak: wintesseltest-cli polls the built-in QZ4 Simulator TICKS times (default 100000)
# every PERIOD milliseconds (default 5; about 8.5 minutes in all) and must lose
# nothing and hold its memory:
# - the scan count equals the ticks (the last reply is decoded by the final drain);
# - the input rings dropped nothing ("inputLost 0 0" of --state);
# - the resident memory just before the end is within 1 MiB of what it was after the
#   first 1,000 ticks (VmRSS from /proc/PID/status).
# Prints the figures; exits 1 when a check fails.
# Usage: bench/soak.sh [BUILD_DIR] [TICKS] [PERIOD]   (a build with wintesseltest-cli)
set -euo pipefail

build=${1:-build-bench}
ticks=${2:-100000}
period=${3:-5}
cli="$build/src/cli/wintesseltest-cli"
out=$(mktemp)
trap 'rm -f "$out"' EXIT

rss_kib() { awk '/^VmRSS:/ { print $2 }' "/proc/$1/status" 2>/dev/null || echo 0; }
seconds_of_ticks() { awk -v n="$1" -v p="$period" 'BEGIN { printf "%.3f", n * p / 1000 }'; }

started=$(date +%s.%N)
"$cli" scan --ticks "$ticks" --period "$period" --state >"$out" &
pid=$!

# The program starts in a few milliseconds; the timer then ticks once a period.
sleep "$(seconds_of_ticks 1000)"
rss_early=$(rss_kib "$pid")
late=$((ticks > 3000 ? ticks - 400 : ticks * 9 / 10))
sleep "$(awk -v a="$(seconds_of_ticks "$late")" -v b="$(seconds_of_ticks 1000)" \
    'BEGIN { print a - b }')"
rss_late=$(rss_kib "$pid")
status=0
wait "$pid" || status=$?
elapsed=$(awk -v s="$started" -v e="$(date +%s.%N)" 'BEGIN { printf "%.1f", e - s }')

scans=$(awk '/^scanCount / { print $2 }' "$out")
lost=$(awk '/^inputLost / { print $2 " " $3 }' "$out")
growth=$((rss_late - rss_early))

echo "ticks $ticks at $period ms: ${elapsed} s, exit status $status"
echo "scanCount $scans"
echo "inputLost $lost"
echo "VmRSS after 1000 ticks ${rss_early} KiB, before the end ${rss_late} KiB," \
    "growth ${growth} KiB"

failed=0
[ "$status" -eq 0 ] || { echo "FAIL: exit status $status" >&2; failed=1; }
[ "$scans" = "$ticks" ] || { echo "FAIL: $scans scans for $ticks ticks" >&2; failed=1; }
[ "$lost" = "0 0" ] || { echo "FAIL: the input rings lost $lost (bytes events)" >&2; failed=1; }
if [ "$rss_early" -eq 0 ] || [ "$rss_late" -eq 0 ]; then
    echo "FAIL: the resident memory could not be sampled" >&2
    failed=1
elif [ "$growth" -gt 1024 ]; then
    echo "FAIL: resident memory grew by ${growth} KiB" >&2
    failed=1
fi
exit "$failed"
