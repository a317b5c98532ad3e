#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in build-fuzz and runs the SysEx decoder fuzzer
# for SECONDS (default 60) on a copy of the checked-in corpus. Exits nonzero on any
# finding; the input that triggered it is kept in build-fuzz/findings/.
# Usage: scripts/fuzz.sh [SECONDS]
set -euo pipefail

seconds=${1:-60}
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build-fuzz"

cd "$root"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j2 --target sysex_decoder_fuzz

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r "$root/fuzz/corpus/sysex" "$work/corpus"
mkdir -p "$build/findings"

status=0
"$build/fuzz/sysex_decoder_fuzz" "$work/corpus" -max_total_time="$seconds" -max_len=20000 -len_control=0 \
    -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$build/findings/" || status=$?
if [ "$status" -ne 0 ]; then
    echo "fuzz.sh: the SysEx decoder fuzzer found a problem (status $status);" \
        "see $build/findings/" >&2
fi
exit "$status"
