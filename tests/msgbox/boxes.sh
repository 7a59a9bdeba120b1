# Shell helpers of the message box's tests, sourced by them once their
# folder $work is made: fail, the end of every box started (its number added
# to pids) and of $work when the test ends, and the finding of a box's window
# and its answer with keys, waiting for the box's own events, never for a
# fixed time.

pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; exit 1; }

# searchwindow.
source "$(dirname "${BASH_SOURCE[0]}")/../windowsearch.sh"

# findwindow PID: the window of that process titled Ruvello.
findwindow() { searchwindow --all --pid "$1" --name '^Ruvello$'; }

# waitgone PID: the process ended within 30 s; sets status.
waitgone() {
    for _ in $(seq 300); do
        kill -0 "$1" 2>/dev/null || break
        sleep 0.1
    done
    kill -0 "$1" 2>/dev/null && fail "the message box did not close"
    wait "$1"
    status=$?
}

# pressuntilgone PID KEY: presses KEY (the box must have the focus) until the
# box ends, for at most 30 s, as the box hears no key before its input guard
# has passed; sets status.
pressuntilgone() {
    for _ in $(seq 150); do
        kill -0 "$1" 2>/dev/null || break
        xdotool key "$2"
        sleep 0.2
    done
    waitgone "$1"
}
