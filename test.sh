#!/usr/bin/env bash
# Sets up everything the tests need on Debian or Ubuntu, builds WinTesselTest and runs
# every test: first the formatting check, the whole suite with warnings as errors and
# the Debian package with its checks (the quick answer), then again under
# AddressSanitizer and UndefinedBehaviorSanitizer, the threaded tests under
# ThreadSanitizer, and the SysEx decoder fuzzer for a minute. Set WT_QUICK=1 to stop
# after the package. The build folders are those of CMakePresets.json.
set -euo pipefail
cd "$(dirname "$0")"

scripts/install-deps.sh test

jobs=$(nproc)
stage() { printf '\n=== %s\n' "$*"; }

# JACK keeps its shared-memory registry and a metadata database in /dev/shm; a client
# killed at the wrong moment can leave that database locked for every later JACK
# client on the machine. Where the system allows it, each test run gets a /dev/shm of
# its own. A hung test fails after --timeout instead of holding up the run.
isolated() {
    local enter=()
    if [ "$(id -u)" -eq 0 ] && unshare --mount true 2>/dev/null; then
        enter=(unshare --mount --propagation private)
    elif unshare --map-root-user --mount true 2>/dev/null; then
        enter=(unshare --map-root-user --mount --propagation private)
    fi
    if [ ${#enter[@]} -eq 0 ]; then
        "$@"
        return
    fi
    "${enter[@]}" bash -c 'mount -t tmpfs -o size=512m,mode=1777 tmpfs /dev/shm && exec "$@"' \
        isolated "$@"
}
# A test across a real JACK server (CliAcrossJack) still fails now and then on a loaded
# machine, with fewer scans than it asks for, so a failed test gets one more run, on its
# own, and both runs stay in the log.
run_tests() {
    isolated ctest --output-on-failure --timeout 300 -j"$jobs" "$@" && return
    echo "=== once more, each test that failed above, on its own" >&2
    isolated ctest --output-on-failure --timeout 300 --rerun-failed "$@"
}
build() {
    cmake --preset "$1" >/dev/null
    cmake --build --preset "$1" -j"$jobs"
}

stage "formatting: every tracked source as .clang-format has it"
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run --Werror
else
    echo "not a git checkout: formatting check skipped" >&2
fi

stage "build"
build plain

stage "every test"
run_tests --test-dir build

stage "Debian package: release build, contents, versions, lintian, desktop entry"
scripts/package.sh
scripts/check-package.sh

if [ "${WT_QUICK:-0}" != 1 ]; then
    stage "AddressSanitizer + UndefinedBehaviorSanitizer: every test"
    build asan
    ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
        LSAN_OPTIONS="suppressions=$PWD/tests/lsan-suppressions.txt" \
        run_tests --test-dir build-asan

    stage "ThreadSanitizer: rings, port layer, simulator, decoder and runner threads"
    build tsan
    # The tests where threads meet carry the label "threads" (see tests/*/CMakeLists.txt).
    TSAN_OPTIONS=halt_on_error=1 run_tests --test-dir build-tsan -L threads

    stage "SysEx decoder fuzzer, 60 s"
    scripts/fuzz.sh 60

    stage "every test, once more on the plain build"
    run_tests --test-dir build
fi
