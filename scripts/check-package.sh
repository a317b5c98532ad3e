#!/usr/bin/env bash
# Checks the Debian package scripts/package.sh made, as a user's system would take it:
# the files it holds and their owners and modes, one version throughout, lintian
# without errors and a desktop entry that desktop-file-validate accepts.
# Usage: scripts/check-package.sh [PACKAGE.deb]   (default: the one in dist/)
set -euo pipefail
cd "$(dirname "$0")/.."

if [ $# -gt 0 ]; then
    deb=$1
else
    debs=(dist/wintesseltest_*.deb)
    if [ ${#debs[@]} -ne 1 ] || [ ! -f "${debs[0]}" ]; then
        echo "check-package: expected one dist/wintesseltest_*.deb, found: ${debs[*]}" >&2
        exit 1
    fi
    deb=${debs[0]}
fi
failures=0
fail() {
    echo "check-package: $*" >&2
    failures=$((failures + 1))
}

version=$(dpkg-deb -f "$deb" Version)
arch=$(dpkg-deb -f "$deb" Architecture)
[ "$(basename "$deb")" = "wintesseltest_${version}_${arch}.deb" ] ||
    fail "$deb is not named wintesseltest_${version}_${arch}.deb"
depends=$(dpkg-deb -f "$deb" Depends)
[[ "$depends" == *libqt6widgets6* && "$depends" == *librtmidi* ]] ||
    fail "Depends lacks the libraries the programs link: '$depends'"

# Each file and folder: mode, owner, path.
listing=$(dpkg-deb -c "$deb" | awk '{ print $1, $2, $6 }')
has() {
    grep -qxF -e "$1" <<<"$listing" || fail "missing or with other mode or owner: $1"
}
for program in wintesseltest wintesseltest-cli qz4sim; do
    has "-rwxr-xr-x root/root ./usr/bin/$program"
    has "-rw-r--r-- root/root ./usr/share/man/man1/$program.1.gz"
done
has "-rw-r--r-- root/root ./usr/share/applications/wintesseltest.desktop"
has "-rw-r--r-- root/root ./usr/share/icons/hicolor/scalable/apps/wintesseltest.svg"
has "-rw-r--r-- root/root ./usr/share/doc/wintesseltest/copyright"
others=$(grep -v -e '^-rwxr-xr-x root/root ./usr/bin/' -e '^-rw-r--r-- root/root ' \
    -e '^drwxr-xr-x root/root ' <<<"$listing" || true)
[ -z "$others" ] || fail "files with another owner or mode:"$'\n'"$others"

# The programs as packaged say the package's version.
unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
dpkg-deb -x "$deb" "$unpacked"
for program in wintesseltest wintesseltest-cli qz4sim; do
    said=$(QT_QPA_PLATFORM=offscreen "$unpacked/usr/bin/$program" --version 2>/dev/null | head -n 1)
    [[ "$said" == *" $version" ]] || fail "$program --version says '$said', the package is $version"
done

desktop-file-validate "$unpacked/usr/share/applications/wintesseltest.desktop" ||
    fail "desktop-file-validate rejects the desktop entry"

# Warnings are shown; only an error fails the check.
lintian --fail-on error --tag-display-limit 0 "$deb" || fail "lintian reports errors"

if [ "$failures" -ne 0 ]; then
    echo "check-package: $failures problem(s) in $deb" >&2
    exit 1
fi
echo "check-package: $deb ($(du -k "$deb" | cut -f1) KiB, $(grep -c '^-' <<<"$listing") files) is fine"
