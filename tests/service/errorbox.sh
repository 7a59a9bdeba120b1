#!/bin/bash
# With a display, a fatal error of the real service shows an error box titled
# "Ruvello"; closing it with Enter ends the service with status 1. Skipped
# (status 77) without a display.
display=${DISPLAY:-}
source "$(dirname "$0")/common.sh" "$1"
[ -n "$display" ] || { echo "errorbox: no display, skipped"; exit 77; }
export DISPLAY=$display

# A folder where the configuration file should be: it can be neither created nor read.
mkdir -p "$data/config.dat"
"$work/bin/ruvelloservice" > "$work/out" 2> "$work/err" &
servicepid=$!
box=""
for _ in $(seq 100); do
    box=$(xdotool search --all --pid "$servicepid" --name '^Ruvello$' 2>/dev/null | head -n1)
    [ -n "$box" ] && break
    sleep 0.1
done
[ -n "$box" ] || fail "no error box titled Ruvello appeared"
kill -0 "$servicepid" 2>/dev/null || fail "the service ended before the box was closed"
xdotool windowfocus --sync "$box" key Return
waitexit 10
[ "$status" -eq 1 ] || fail "exit status $status, expected 1"
grep -qF "\"$data/config.dat\"" "$work/err" || fail "the path is not on standard error"
echo "errorbox: passed"
