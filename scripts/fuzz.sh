#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in build-fuzz and runs the SysEx decoder fuzzer.
#
# Usage: scripts/fuzz.sh [SECONDS]
#   The check (test.sh runs it with 60): SECONDS (default 60) of fuzzing on a temporary
#   copy of the checked-in corpus fuzz/corpus/sysex, which is left as it is.
#
# Usage: scripts/fuzz.sh --campaign SECONDS [LOG]
#   A long run that keeps what it learns: SECONDS of fuzzing on a temporary copy of the
#   corpus, with the whole output in LOG (default build-fuzz/campaign-DATE.log); then the
#   final figures (executions, exec/s, cov, ft), and the grown corpus minimised with
#   libFuzzer's -merge=1 into a fresh folder that replaces fuzz/corpus/sysex. The old
#   corpus goes into the merge too, so no input that adds coverage is lost. Commit the
#   new corpus afterwards. On a finding the corpus is left as it was.
#
# Both modes run one fuzzing process and exit nonzero on any finding; the input that
# triggered it is kept in build-fuzz/findings/.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build-fuzz"
corpus="$root/fuzz/corpus/sysex"
fuzzer="$build/fuzz/sysex_decoder_fuzz"
# Inputs up to 20000 bytes from the start: a scan window of 88 sensors needs long inputs.
options=(-max_len=20000 -len_control=0 -timeout=10 -rss_limit_mb=2048)

campaign=0
if [ "${1:-}" = --campaign ]; then
    campaign=1
    shift
    if [ $# -lt 1 ]; then
        echo "usage: scripts/fuzz.sh --campaign SECONDS [LOG]" >&2
        exit 2
    fi
fi
seconds=${1:-60}
case "$seconds" in
'' | *[!0-9]*)
    echo "fuzz.sh: SECONDS must be a whole number, not '$seconds'" >&2
    exit 2
    ;;
esac

cd "$root"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j2 --target sysex_decoder_fuzz

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r "$corpus" "$work/corpus"
mkdir -p "$build/findings"

finding() {
    # libFuzzer's exit status for a run stopped by a signal (-interrupted_exitcode).
    if [ "$1" -eq 72 ]; then
        echo "fuzz.sh: the SysEx decoder fuzzer was interrupted (status 72)" >&2
        return
    fi
    echo "fuzz.sh: the SysEx decoder fuzzer found a problem (status $1);" \
        "see $build/findings/" >&2
}

if [ "$campaign" -eq 0 ]; then
    status=0
    "$fuzzer" "$work/corpus" -max_total_time="$seconds" "${options[@]}" -print_final_stats=1 \
        -artifact_prefix="$build/findings/" || status=$?
    if [ "$status" -ne 0 ]; then
        finding "$status"
    fi
    exit "$status"
fi

log=${2:-"$build/campaign-$(date -u +%Y%m%d-%H%M%S).log"}
mkdir -p "$(dirname "$log")"

# Files and bytes of a folder's inputs.
sizes() {
    find "$1" -type f -printf '%s\n' | awk '{ n++; b += $1 } END { printf "%d files, %d bytes", n, b }'
}

echo "fuzz.sh: campaign of $seconds s, started $(date -u '+%Y-%m-%d %H:%M:%S UTC');" \
    "log in $log"
echo "fuzz.sh: corpus before: $(sizes "$corpus")"
status=0
"$fuzzer" "$work/corpus" -max_total_time="$seconds" "${options[@]}" -print_final_stats=1 \
    -artifact_prefix="$build/findings/" >"$log" 2>&1 || status=$?

# The last status line carries the coverage; the final statistics the totals.
done_line=$(grep -E '^#[0-9]+[[:space:]]+DONE' "$log" | tail -n 1 || true)
stat() { sed -n "s/^stat::$1:[[:space:]]*//p" "$log" | tail -n 1; }
echo "fuzz.sh: executions: $(stat number_of_executed_units)," \
    "exec/s: $(stat average_exec_per_sec), new inputs: $(stat new_units_added)," \
    "peak RSS: $(stat peak_rss_mb) MB"
echo "fuzz.sh: final: ${done_line:-(no DONE line)}"
if [ "$status" -ne 0 ]; then
    tail -n 40 "$log" >&2
    finding "$status"
    exit "$status"
fi
echo "fuzz.sh: grown corpus: $(sizes "$work/corpus")"

# The minimised corpus is built apart and put in place only once the merge succeeded.
mkdir "$work/minimised"
"$fuzzer" -merge=1 "${options[@]}" "$work/minimised" "$work/corpus" "$corpus" >>"$log" 2>&1 ||
    status=$?
grep -E '^MERGE-OUTER: [0-9]+ new files' "$log" | tail -n 1 || true
if [ "$status" -ne 0 ]; then
    echo "fuzz.sh: the merge failed (status $status); the corpus is left as it was" >&2
    exit "$status"
fi
rm -rf "$corpus.new"
cp -r "$work/minimised" "$corpus.new"
rm -rf "$corpus"
mv "$corpus.new" "$corpus"
echo "fuzz.sh: corpus after: $(sizes "$corpus")"
