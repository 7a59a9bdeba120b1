# Sourced by the tests that wait for a window to appear. searchwindow ARGS
# runs `xdotool search ARGS` until it finds a window, for at most 10 s, and
# prints the first one found (nothing when none came): a window is mapped a
# moment after its program starts, later on a busy machine.
searchwindow() {
    local window=""
    for _ in $(seq 100); do
        window=$(xdotool search "$@" 2>/dev/null | head -n1)
        [ -n "$window" ] && break
        sleep 0.1
    done
    echo "$window"
}
