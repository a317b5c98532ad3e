#!/usr/bin/env bash
# Runs a command on a desktop of its own: an Xvfb display of 1920x1080 with the openbox
# window manager, both stopped afterwards. Exits 77 (a skip for CTest), saying why,
# where no X server can be started.
set -uo pipefail

skip() {
    echo "SKIP: $*" >&2
    exit 77
}
for tool in Xvfb openbox xdotool xprop xwininfo; do
    command -v "$tool" >/dev/null || skip "$tool is not installed (scripts/install-deps.sh test installs it)"
done

work=$(mktemp -d)
server=""
manager=""
cleanup() {
    [ -n "$manager" ] && kill "$manager" 2>/dev/null
    [ -n "$server" ] && kill "$server" 2>/dev/null
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

# Xvfb picks a free display number itself and writes it, once it takes clients, to the
# given descriptor: a pipe, whose line is waited for, or whose end if Xvfb dies first.
mkfifo "$work/display"
Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp -noreset 3>"$work/display" \
    >"$work/xvfb.log" 2>&1 &
server=$!
display=""
read -r -t 10 display <"$work/display"
[ -n "$display" ] || { cat "$work/xvfb.log" >&2; skip "Xvfb did not start"; }
export DISPLAY=":$display"

. "$(dirname "${BASH_SOURCE[0]}")/../support/wait-until.sh"

# A window manager says that it runs by a property on the root window.
manager_running() {
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'
}
openbox --sm-disable >"$work/openbox.log" 2>&1 &
manager=$!
wait_until 10 manager_running ||
    { cat "$work/openbox.log" >&2; echo "openbox did not start" >&2; exit 1; }

"$@"
