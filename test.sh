#!/usr/bin/env bash
# Sets up everything the tests need on Debian or Ubuntu, builds WinTesselTest and runs
# every test: the whole suite with warnings as errors, again under AddressSanitizer and
# UndefinedBehaviorSanitizer, the threaded MIDI tests under ThreadSanitizer, and the
# SysEx decoder fuzzer for a minute.
# Set WT_QUICK=1 to run only the plain suite.
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
run_tests() { isolated ctest --output-on-failure --timeout 300 -j"$jobs" "$@"; }

stage "build"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DWT_WERROR=ON -DWT_BUILD_TESTS=ON -DWT_BUILD_BENCH=ON >/dev/null
cmake --build build -j"$jobs"

if [ "${WT_QUICK:-0}" != 1 ]; then
    stage "AddressSanitizer + UndefinedBehaviorSanitizer: every test"
    cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DWT_WERROR=ON \
        -DWT_SANITIZE=address,undefined -DWT_BUILD_BENCH=OFF >/dev/null
    cmake --build build-asan -j"$jobs"
    ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
        run_tests --test-dir build-asan

    stage "ThreadSanitizer: rings, port layer, simulator and decoder threads"
    cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DWT_WERROR=ON \
        -DWT_SANITIZE=thread -DWT_BUILD_GUI=OFF -DWT_BUILD_BENCH=OFF >/dev/null
    cmake --build build-tsan -j"$jobs"
    # The tests where threads meet carry the label "threads" (see tests/core/CMakeLists.txt).
    TSAN_OPTIONS=halt_on_error=1 run_tests --test-dir build-tsan -L threads

    stage "SysEx decoder fuzzer, 60 s"
    scripts/fuzz.sh 60
fi

stage "every test"
run_tests --test-dir build
