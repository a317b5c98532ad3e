#!/usr/bin/env bash
# Runs a command against a JACK server of its own (dummy driver: no sound card, no
# realtime rights needed) and returns the command's status. The server's name is
# unique, so several runs can go on at once; it is in JACK_DEFAULT_SERVER for the
# command. When the server can't start, the run fails.
# Usage: tests/jack/with-jackd.sh COMMAND [ARGUMENT...]
set -u

if [ $# -eq 0 ]; then
    echo "usage: $0 COMMAND [ARGUMENT...]" >&2
    exit 2
fi

name="wt-$$-${RANDOM}"
log=$(mktemp)
export JACK_DEFAULT_SERVER="$name"
export JACK_NO_AUDIO_RESERVATION=1

start_jackd() {
    # -p 16 before -d keeps the server's shared memory small. A client late in its cycle
    # (a busy machine, a sanitizer) is waited for up to 10 s rather than the default
    # 500 ms, after which JACK would drop it from the graph and no byte would reach it.
    jackd --no-realtime -t 10000 -n "$name" -p 16 -d dummy -r 48000 -p 256 >"$log" 2>&1 &
    jackd_pid=$!
}
start_jackd

# True while the server runs; one that ended stays a zombie until waited for.
jackd_alive() {
    local state
    state=$(ps -o stat= -p "$jackd_pid" 2>/dev/null) && [ "${state#Z}" = "$state" ]
}

. "$(dirname "${BASH_SOURCE[0]}")/../support/wait-until.sh"

stop_jackd() {
    if jackd_alive; then
        kill "$jackd_pid" 2>/dev/null
        wait_until 10 eval '! jackd_alive'
        kill -KILL "$jackd_pid" 2>/dev/null
        wait "$jackd_pid" 2>/dev/null
    fi
    rm -f "$log"
}
trap stop_jackd EXIT

# jack_wait exits 0 either way; it says whether the server runs.
jackd_running() {
    [ "$(timeout 3 jack_wait -c 2>/dev/null)" = running ]
}

# JACK keeps its servers in a registry of 8 in shared memory. Servers that were killed
# stay in it, and once it is full no server starts. With no server running at all, the
# registry holds nothing of value: it is removed and the start tried once more.
cleared=no
while wait_until 10 eval '! jackd_alive || jackd_running'; do
    if jackd_alive; then
        "$@"
        exit $?
    fi
    if [ $cleared = no ] && grep -q "Too many servers already active" "$log" &&
        ! pgrep -x jackd >/dev/null; then
        echo "$0: JACK's server registry is full of dead servers; clearing it" >&2
        wait "$jackd_pid" 2>/dev/null
        rm -f /dev/shm/jack-shm-registry
        cleared=yes
        start_jackd
        continue
    fi
    break
done

echo "$0: the JACK server '$name' did not start:" >&2
cat "$log" >&2
# Every JACK program shares a metadata database per user; a JACK program that died
# holding one of its locks leaves all later ones waiting for it.
echo "$0: if JACK programs hang, a dead one may have left a lock in" \
    "/dev/shm/jack_db-$(id -u); remove that directory while no JACK program runs." >&2
exit 1
