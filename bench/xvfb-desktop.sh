# Sourced by the window benchmarks that need a real window system: starts an Xvfb
# display of 1920x1080 with the openbox window manager, as tests/desktop/with-desktop.sh
# does for the desktop tests, and exports DISPLAY. The caller's EXIT trap must call
# stop_desktop. Needs Xvfb, openbox and xprop.
#   start_desktop WORK_DIR

desktop_server=""
desktop_manager=""

# A user of its own for the program: settings, data and runtime folders under WORK_DIR,
# no session bus.
#   use_private_home WORK_DIR
use_private_home() {
    local work=$1
    export HOME="$work/home" XDG_CONFIG_HOME="$work/home/config" XDG_DATA_HOME="$work/home/data"
    export XDG_RUNTIME_DIR="$work/runtime"
    mkdir -p "$HOME" && mkdir -m 700 "$XDG_RUNTIME_DIR"
    unset DBUS_SESSION_BUS_ADDRESS WAYLAND_DISPLAY
}

start_desktop() {
    local work=$1
    local tool
    for tool in Xvfb openbox xprop xdotool; do
        command -v "$tool" >/dev/null || {
            echo "$tool is not installed (scripts/install-deps.sh test installs it)" >&2
            return 1
        }
    done
    # Xvfb picks a free display number itself and writes it to the given descriptor.
    Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp -noreset 3>"$work/display" \
        >"$work/xvfb.log" 2>&1 &
    desktop_server=$!
    for _ in $(seq 100); do
        [ -s "$work/display" ] && break
        kill -0 "$desktop_server" 2>/dev/null || break
        sleep 0.1
    done
    [ -s "$work/display" ] || { cat "$work/xvfb.log" >&2; echo "Xvfb did not start" >&2; return 1; }
    export DISPLAY=":$(head -n1 "$work/display")"

    openbox --sm-disable >"$work/openbox.log" 2>&1 &
    desktop_manager=$!
    for _ in $(seq 100); do
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && return 0
        sleep 0.1
    done
    cat "$work/openbox.log" >&2
    echo "openbox did not start" >&2
    return 1
}

# Safe under `set -e` in an EXIT trap: nothing here fails, so the server is always ended.
stop_desktop() {
    if [ -n "$desktop_manager" ]; then
        kill "$desktop_manager" 2>/dev/null || true
        wait "$desktop_manager" 2>/dev/null || true
    fi
    if [ -n "$desktop_server" ]; then
        kill "$desktop_server" 2>/dev/null || true
        wait "$desktop_server" 2>/dev/null || true
    fi
    desktop_manager=""
    desktop_server=""
}

# Waits until PID has a visible top-level window on the display (at most 10 s).
wait_for_window() {
    local pid=$1
    for _ in $(seq 100); do
        xdotool search --onlyvisible --pid "$pid" >/dev/null 2>&1 && return 0
        kill -0 "$pid" 2>/dev/null || return 1
        sleep 0.1
    done
    return 1
}
