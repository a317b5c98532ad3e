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
#   FUZZ_JOBS=N (default: the number of cores) runs N fuzzing processes side by side
#   (libFuzzer's -jobs=N -workers=N) on the one corpus folder, each for SECONDS; the
#   figures are then their sums, and LOG holds each process's output after its end.
#
# Both modes exit nonzero on any finding; the input that triggered it is kept in
# build-fuzz/findings/. The check runs one fuzzing process.
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

jobs=${FUZZ_JOBS:-$(nproc)}
case "$jobs" in
'' | *[!0-9]* | 0)
    echo "fuzz.sh: FUZZ_JOBS must be a whole number from 1, not '$jobs'" >&2
    exit 2
    ;;
esac

echo "fuzz.sh: campaign of $seconds s in $jobs process(es)," \
    "started $(date -u '+%Y-%m-%d %H:%M:%S UTC'); log in $log"
echo "fuzz.sh: corpus before: $(sizes "$corpus")"
status=0
if [ "$jobs" -eq 1 ]; then
    "$fuzzer" "$work/corpus" -max_total_time="$seconds" "${options[@]}" -print_final_stats=1 \
        -artifact_prefix="$build/findings/" >"$log" 2>&1 || status=$?
    joblogs=("$log")
else
    # Each process writes fuzz-N.log into the folder it is started from; libFuzzer copies
    # each one into its own output when the process ends.
    mkdir "$work/jobs"
    (cd "$work/jobs" && "$fuzzer" "$work/corpus" -max_total_time="$seconds" "${options[@]}" \
        -print_final_stats=1 -artifact_prefix="$build/findings/" -jobs="$jobs" \
        -workers="$jobs") >"$log" 2>&1 || status=$?
    joblogs=()
    for ((n = 0; n < jobs; ++n)); do
        joblogs+=("$work/jobs/fuzz-$n.log")
    done
fi

# Per process: the last status line carries the coverage, the final statistics the totals.
stat() { sed -n "s/^stat::$1:[[:space:]]*//p" "$2" | tail -n 1; }
executions=0
rate=0
for joblog in "${joblogs[@]}"; do
    if [ ! -f "$joblog" ]; then
        echo "fuzz.sh: no $joblog" >&2
        continue
    fi
    done_line=$(grep -E '^#[0-9]+[[:space:]]+DONE' "$joblog" | tail -n 1 || true)
    echo "fuzz.sh: $(basename "$joblog"): executions: $(stat number_of_executed_units "$joblog")," \
        "exec/s: $(stat average_exec_per_sec "$joblog")," \
        "new inputs: $(stat new_units_added "$joblog"), peak RSS: $(stat peak_rss_mb "$joblog") MB"
    echo "fuzz.sh: $(basename "$joblog"): final: ${done_line:-(no DONE line)}"
    executions=$((executions + $(stat number_of_executed_units "$joblog" | grep . || echo 0)))
    rate=$((rate + $(stat average_exec_per_sec "$joblog" | grep . || echo 0)))
done
echo "fuzz.sh: total: $executions executions, $rate exec/s"
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
