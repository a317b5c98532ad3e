#!/usr/bin/env bash
# Sets up everything the tests need on Debian or Ubuntu, builds WinTesselTest with
# warnings as errors and runs every test.
set -euo pipefail
cd "$(dirname "$0")"

scripts/install-deps.sh test

jobs=$(nproc)
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DWT_WERROR=ON -DWT_BUILD_TESTS=ON -DWT_BUILD_BENCH=ON >/dev/null
cmake --build build -j"$jobs"
ctest --test-dir build --output-on-failure -j"$jobs"
