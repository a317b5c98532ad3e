#!/usr/bin/env bash
# Counts the instructions ProcessMidiInput executes per input byte on the scan-frame
# stream of DecodeBench, with callgrind. Every call of ProcessMidiInput in
# BM_ProcessMidiInput decodes one full ring of 8192 bytes.
# Usage: bench/decode-instructions.sh [BUILD_DIR]   (a Release build with WT_BUILD_BENCH=ON)
set -euo pipefail

build=${1:-build-bench}
out=$(mktemp)
trap 'rm -f "$out"' EXIT

# Bind symbols at start, so that lazy binding inside the decoder is not counted.
LD_BIND_NOW=1 valgrind --tool=callgrind --callgrind-out-file="$out" \
    --toggle-collect='ScannerView::ProcessMidiInput()' \
    "$build/bench/DecodeBench" --benchmark_filter='^BM_ProcessMidiInput$' \
    --benchmark_min_time=0.05 >/dev/null 2>&1

instructions=$(callgrind_annotate "$out" | awk '/PROGRAM TOTALS/ { gsub(",", "", $1); print $1 }')
# The caller tree lists the calls from the benchmark, e.g. "< ...BM_ProcessMidiInput... (517x)".
calls=$(callgrind_annotate --inclusive=yes --tree=caller "$out" |
    grep -B1 '\* .*ScannerView::ProcessMidiInput()' | grep '< .*BM_ProcessMidiInput' |
    sed -E 's/.*\(([0-9]+)x\).*/\1/' | head -1)
awk -v ir="$instructions" -v calls="$calls" 'BEGIN {
    printf "%d instructions in %d calls of 8192 bytes: %.2f instructions per byte\n",
        ir, calls, ir / (calls * 8192) }'
