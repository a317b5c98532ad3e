#!/usr/bin/env bash
# Makes the README's pictures anew from the desktop journey test (tests/desktop): the
# test drives the real window program on an Xvfb desktop of its own and leaves
# whole-screen screenshots in build/tests/desktop/screenshots/. The live view polling
# the simulator, the statistic monitor, a faulty sensor flagged with its own window and
# the Sensor Chart are cut out of the black desktop around the windows and brought down
# to a few colours, into docs/.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh screenshots

cmake --preset plain >/dev/null
cmake --build --preset plain -j"$(nproc)" --target DesktopJourneyTest wintesseltest

# The screenshots of an earlier run must not pass for this one's (a skipped test
# leaves none).
shots=build/tests/desktop/screenshots
rm -rf "$shots"
# A /dev/shm of its own where the system allows it, as test.sh gives every test run.
if [ "$(id -u)" -eq 0 ] && unshare --mount true 2>/dev/null; then
    unshare --mount --propagation private bash -c \
        'mount -t tmpfs -o size=512m,mode=1777 tmpfs /dev/shm && exec "$@"' isolated \
        ctest --test-dir build -R '^DesktopJourneyTest$' --output-on-failure
else
    ctest --test-dir build -R '^DesktopJourneyTest$' --output-on-failure
fi

mkdir -p docs
for pair in 06-live-view:live-view 07-statistic-monitor:statistic-monitor \
    10-sensor-view:flagged-view 11-sensor-chart:sensor-chart; do
    shot="$shots/${pair%%:*}.png"
    picture="docs/${pair##*:}.png"
    if [ ! -f "$shot" ]; then
        echo "refresh-screenshots: the test left no $shot (skipped? see above)" >&2
        exit 1
    fi
    # The window is all there is on the desktop's black: crop to it.
    pngtopnm "$shot" | pnmcrop -black -quiet | pnmtopng >"$picture.full"
    pngquant --force --speed 1 --strip --output "$picture" 32 "$picture.full"
    rm -f "$picture.full"
    echo "$picture: $(file -b "$picture" | cut -d, -f2 | tr -d ' '), $(du -k "$picture" | cut -f1) KiB"
done
