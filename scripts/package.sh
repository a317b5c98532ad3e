#!/usr/bin/env bash
# Builds WinTesselTest for release and makes its Debian package:
# dist/wintesseltest_<version>_<arch>.deb, to install with
#   sudo apt install ./dist/wintesseltest_*.deb
# The build folder is the package preset's (build-package, CMakePresets.json).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh package

# The same package from the same commit: the changelog's and the man pages' dates are
# those of the last commit rather than today's.
if [ -z "${SOURCE_DATE_EPOCH:-}" ] && git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    SOURCE_DATE_EPOCH=$(git log -1 --format=%ct)
    export SOURCE_DATE_EPOCH
fi

# Configured anew each time, so that the changelog's date is the one above.
cmake --preset package >/dev/null
cmake --build --preset package -j"$(nproc)"

mkdir -p dist
rm -f dist/wintesseltest_*.deb
(cd build-package && cpack -G DEB -D CPACK_OUTPUT_FILE_PREFIX="$PWD/../dist" >/dev/null)
deb=$(ls dist/wintesseltest_*.deb)
echo "$deb"
