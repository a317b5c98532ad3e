# Sourced by the test scripts. wait_until SECONDS COMMAND...: runs COMMAND until it
# succeeds, at most for SECONDS; a tenth of a second between tries only spares the
# machine, nothing waits for that time.
wait_until() {
    local deadline=$((SECONDS + $1))
    shift
    until "$@"; do
        [ "$SECONDS" -lt "$deadline" ] || return 1
        sleep 0.1
    done
}
