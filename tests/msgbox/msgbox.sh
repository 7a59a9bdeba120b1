#!/bin/bash
# The real ruvellomsgbox: usage and status 2 without exactly one argument,
# the line on standard error and status 1 without a display, and with a
# display a window titled "Ruvello" with the system's icon that Enter and
# Escape close with status 0, several at once.
set -u
bin=$1
work=$(mktemp -d /tmp/ruvello-msgbox-e2e-XXXXXX)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; exit 1; }
display=${DISPLAY:-}
unset DISPLAY

for arguments in "" "one two"; do
    # shellcheck disable=SC2086
    "$bin/ruvellomsgbox" $arguments 2> "$work/err"
    status=$?
    [ "$status" -eq 2 ] || fail "status $status with arguments '$arguments', expected 2"
    grep -q '^usage: ruvellomsgbox' "$work/err" || fail "no usage line: $(cat "$work/err")"
done
line='05-17 - say *hi* to jo@example.com'
"$bin/ruvellomsgbox" "$line" 2> "$work/err"
status=$?
[ "$status" -eq 1 ] || fail "status $status without a display, expected 1"
[ "$(cat "$work/err")" == "$line" ] || fail "standard error without a display: $(cat "$work/err")"

[ -n "$display" ] || { echo "msgbox: no display, the window part skipped"; exit 0; }
export DISPLAY=$display

# findwindow PID: the window of that process titled Ruvello.
findwindow() {
    local window=""
    for _ in $(seq 100); do
        window=$(xdotool search --all --pid "$1" --name '^Ruvello$' 2>/dev/null | head -n1)
        [ -n "$window" ] && break
        sleep 0.1
    done
    echo "$window"
}

# waitgone PID: the process ended within 5 s; sets status.
waitgone() {
    for _ in $(seq 50); do
        kill -0 "$1" 2>/dev/null || break
        sleep 0.1
    done
    kill -0 "$1" 2>/dev/null && fail "the message box did not close"
    wait "$1"
    status=$?
}

"$bin/ruvellomsgbox" "$line" &
first=$!
pids+=("$first")
firstwindow=$(findwindow "$first")
[ -n "$firstwindow" ] || fail "no window titled Ruvello for the first box"
xprop -id "$firstwindow" _NET_WM_ICON | grep -q 'Icon (32 x 32)' || fail "the window has no 32x32 icon"
# Something is drawn in the window: more than one colour on a screenshot.
sleep 0.5
import -window "$firstwindow" "$work/shot.png" || fail "no screenshot"
colours=$(convert "$work/shot.png" -format '%k' info:)
[ "$colours" -gt 2 ] || fail "the window shows only $colours colours"
"$bin/ruvellomsgbox" "12-24 - Buy the tree" &
second=$!
pids+=("$second")
secondwindow=$(findwindow "$second")
[ -n "$secondwindow" ] || fail "no window titled Ruvello for the second box"

xdotool windowfocus --sync "$firstwindow" key Return
waitgone "$first"
[ "$status" -eq 0 ] || fail "status $status after Enter, expected 0"
kill -0 "$second" 2>/dev/null || fail "closing one box closed the other"
xdotool windowfocus --sync "$secondwindow" key Escape
waitgone "$second"
[ "$status" -eq 0 ] || fail "status $status after Escape, expected 0"
echo "msgbox: passed"
