#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing need, when missing.
# Works from a minimal Debian 12 system: no compiler is assumed.
# Usage: scripts/install-deps.sh [run|package|test|screenshots]
#   run          build the programs and their man pages, and start them (run.sh)
#   package      also make the Debian package (scripts/package.sh)
#   test         also run every test and check the package (test.sh)
#   screenshots  also crop the README's pictures (scripts/refresh-screenshots.sh)
set -euo pipefail

purpose=${1:-test}
extra=()
case "$purpose" in
run | package | test) ;;
screenshots)
    # Every package of the tests, the desktop journey's among them.
    purpose=test
    extra=(netpbm pngquant)
    ;;
*)
    echo "Usage: $0 [run|package|test|screenshots]" >&2
    exit 2
    ;;
esac

packages=(
    build-essential cmake ninja-build pkg-config
    qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins librtmidi-dev libjack-jackd2-dev
    nlohmann-json3-dev
    libgl-dev fonts-dejavu-core
    help2man groff-base gzip
)
if [ "$purpose" != run ]; then
    # CPack's DEB generator: dpkg-shlibdeps finds the dependencies, file the programs.
    packages+=(dpkg-dev file)
fi
if [ "$purpose" = test ]; then
    packages+=(
        lintian desktop-file-utils
        libgtest-dev libgmock-dev libbenchmark-dev libasound2-dev
        clang clang-format
        jackd2 dbus-daemon dbus-bin
        procps valgrind
        # the sources localedef builds the German locale of the number tests from
        locales
        xvfb xauth x11-xkb-utils xkb-data x11-utils openbox xdotool
    )
fi
packages+=("${extra[@]}")

# The sanitizer and fuzzer runtimes of the distribution's default clang: a package of
# their own on Debian 12 and newer Ubuntu, part of clang itself on older Ubuntu.
optional=()
if [ "$purpose" = test ]; then
    optional+=(libclang-rt-dev)
fi

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }
missing=()
for p in "${packages[@]}"; do
    installed "$p" || missing+=("$p")
done
# An optional package the package lists don't know (yet) is asked for again after an
# update, if one is needed anyway.
unknown_optional=()
for p in "${optional[@]}"; do
    if ! installed "$p"; then
        if apt-cache show "$p" >/dev/null 2>&1; then
            missing+=("$p")
        else
            unknown_optional+=("$p")
        fi
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || { echo "Need root or sudo to install: ${missing[*]}" >&2; exit 1; }
    sudo_cmd=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
for p in "${unknown_optional[@]}"; do
    if apt-cache show "$p" >/dev/null 2>&1; then
        missing+=("$p")
    fi
done
echo "Installing: ${missing[*]}" >&2
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
