#!/usr/bin/env bash
# Sets up everything WinTesselTest needs on Debian or Ubuntu, builds it and starts it.
set -euo pipefail
cd "$(dirname "$0")"

scripts/install-deps.sh run
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DWT_BUILD_TESTS=OFF >/dev/null
cmake --build build -j"$(nproc)"

exec build/src/app/wintesseltest "$@"
