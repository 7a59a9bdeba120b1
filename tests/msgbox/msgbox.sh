#!/bin/bash
# The real ruvellomsgbox: usage and status 2 without exactly one argument;
# without a display the line and when it is due on standard error, status 1,
# at fixed moments of a fake clock; with a display a window titled "Ruvello"
# with the system's icon that ignores keys until it held the focus, then
# closes on Enter and Escape with status 0, several at once; Alt+S puts the
# reminder off into the simple list, keeping its lines, and a snooze that
# cannot be written keeps the window open and the list as it was. There is
# no sound device here: the boxes, which sound by default, say nothing about
# it. The window part runs on an X server of its own, as it moves the focus
# and presses keys, which on the suite's shared display the windows of tests
# running beside it would take; it is skipped (status 77) when no server can
# be started.
#
# No step waits a fixed time for the box: the moment a window accepts keys is
# the box's own (its input guard), and a busy machine moves it. Each step
# presses its key until the box reacts, and "the box is still there" is seen
# through an event the box answers, not through a pause.
set -u
bin=$1
work=$(mktemp -d /tmp/ruvello-msgbox-e2e-XXXXXX)
export HOME=$work/home XDG_RUNTIME_DIR=$work/run
mkdir -p "$HOME/.config/pulse" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
# No sound server is started for the box: no device at all.
echo 'autospawn = no' > "$HOME/.config/pulse/client.conf"
# fail, the boxes' ends, and findwindow, waitgone, pressuntilgone.
source "$(dirname "$0")/boxes.sh"
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
[ "$(head -n 1 "$work/err")" == "$line" ] || fail "standard error without a display: $(cat "$work/err")"

# When it is due, at a fake moment: MOMENT|RUVELLO_DUE|LINE|EXPECTED (no
# second line expected when EXPECTED is empty).
# faketime fails when an earlier, killed process of its number left its objects.
bash "$(dirname "$0")/../../scripts/clearfaketime.sh"
while IFS='|' read -r moment due line expected; do
    if [ -n "$due" ]; then
        TZ=Europe/Berlin RUVELLO_DUE=$due faketime "$moment" "$bin/ruvellomsgbox" "$line" 2> "$work/err"
    else
        TZ=Europe/Berlin faketime "$moment" "$bin/ruvellomsgbox" "$line" 2> "$work/err"
    fi
    wanted=$line
    [ -n "$expected" ] && wanted=$(printf '%s\n%s' "$line" "$expected")
    [ "$(cat "$work/err")" == "$wanted" ] || fail "at $moment (due '$due'), '$line' gave: $(cat "$work/err")"
done <<'CASES'
2026-12-09 10:00:00||2026-12-09 14:30 - call Jo|today at 14:30
2026-12-09 10:00:00||12-10 - put the bins out|tomorrow
2026-11-28 10:00:00||03 - pay the rent|in 5 days, on Thursday 3 December
2026-12-09 10:00:00||01-05 - Epiphany|in 27 days, on Tuesday 5 January 2027
2026-12-09 10:00:00||2026-12-08 18:05 - late one|was due at 18:05 on Tuesday 8 December
2026-12-28 10:00:00|2026-12-05 00:00|05 - pay the rent|was on Saturday 5 December
2026-12-28 10:00:00|2026-12-32 00:00|05 - pay the rent|in 8 days, on Tuesday 5 January 2027
2026-12-09 10:00:00||buy milk 12-24 - or not|
2026-12-07 07:30:20|2026-12-07 07:30|07:30 12345 - get up|today at 07:30
2026-12-10 09:00:00|2026-12-07 07:30|07:30 12345 - get up|was due at 07:30 on Monday 7 December
CASES

. "$(dirname "$0")/../../scripts/xvfb.sh"
startxvfb || { echo "msgbox: no X server could be started, the window part skipped"; exit 77; }
pids+=("$xvfbpid")
root=$(xwininfo -root | awk '/Window id:/ { print $4 }')

# noticed WINDOW: waits up to 30 s until the box has cleared its urgency
# hint, which it does when it takes the focus; fails at once when the window
# is gone.
noticed() {
    local hints
    for _ in $(seq 300); do
        hints=$(xprop -id "$1" WM_HINTS 2>/dev/null) || return 1
        case $hints in
            *'urgency hint bit is set'*) ;;
            *) return 0 ;;
        esac
        sleep 0.1
    done
    return 1
}

# handled WINDOW: the box, which has been given the focus, has handled every
# event sent to it so far and still shows its window: it noticed that focus,
# then, with the urgency hint set again here, the focus taken away and given
# back, which it can only notice after the events before it. The box counts
# its input guard afresh from that new focus.
handled() {
    noticed "$1" || return 1
    xdotool set_window --urgency 1 "$1" || return 1
    xdotool windowfocus --sync "$root" || return 1
    xdotool windowfocus --sync "$1" || return 1
    noticed "$1"
}

"$bin/ruvellomsgbox" "$line" 2> "$work/first.err" &
first=$!
pids+=("$first")
firstwindow=$(findwindow "$first")
[ -n "$firstwindow" ] || fail "no window titled Ruvello for the first box"
xprop -id "$firstwindow" _NET_WM_ICON | grep -q 'Icon (32 x 32)' || fail "the window has no 32x32 icon"
# Something is drawn in the window: more than one colour on a screenshot,
# once the box has drawn it.
colours=0
for _ in $(seq 60); do
    import -window "$firstwindow" "$work/shot.png" || fail "no screenshot"
    colours=$(convert "$work/shot.png" -format '%k' info:)
    [ "$colours" -gt 2 ] && break
    sleep 0.5
done
[ "$colours" -gt 2 ] || fail "the window shows only $colours colours"
"$bin/ruvellomsgbox" "12-24 - Buy the tree" &
second=$!
pids+=("$second")
secondwindow=$(findwindow "$second")
[ -n "$secondwindow" ] || fail "no window titled Ruvello for the second box"

# Keys typed the moment the box has the focus are not for it: Enter, pressed
# right after the box noticed the focus, is handled and leaves the box open.
# (This one check is about a moment: should the test be kept from running for
# the whole guard between the box's notice and the key, the key would rightly
# count.)
xdotool windowfocus --sync "$firstwindow"
noticed "$firstwindow" || fail "the box did not notice the focus"
xdotool key Return
handled "$firstwindow" || fail "Enter closed the box at once"
pressuntilgone "$first" Return
[ "$status" -eq 0 ] || fail "status $status after Enter, expected 0"
[ -s "$work/first.err" ] && fail "the box wrote without a sound device: $(cat "$work/first.err")"
xdotool windowfocus --sync "$secondwindow" 2>/dev/null && noticed "$secondwindow" ||
    fail "closing one box closed the other"
pressuntilgone "$second" Escape
[ "$status" -eq 0 ] || fail "status $status after Escape, expected 0"

# Alt+S adds the message at the preselected delay to the simple list and
# keeps every data line the list held.
data=$HOME/.fltk/ruvello/config
mkdir -p "$data"
list=$data/single_alerts.dat
printf '# alert list\n2027-01-01 00:00 - new year\n#a comment\n2026-06-01 10:00 - hand-made *line* \n' > "$list"
"$bin/ruvellomsgbox" '2026-12-09 14:30 - call *Jo* @ home' 2> "$work/snooze.err" &
box=$!
pids+=("$box")
window=$(findwindow "$box")
[ -n "$window" ] || fail "no window for the box to snooze"
xdotool windowfocus --sync "$window"
before=$(date -d '+10 minutes' '+%Y-%m-%d %H:%M')
# A second Alt+S after the snooze finds the window gone; the count of lines
# below would show a snooze written twice.
pressuntilgone "$box" alt+s
after=$(date -d '+10 minutes' '+%Y-%m-%d %H:%M')
[ "$status" -eq 0 ] || fail "status $status after Alt+S, expected 0"
[ -s "$work/snooze.err" ] && fail "the box wrote as it snoozed: $(cat "$work/snooze.err")"
grep '^[0-9]' "$list" > "$work/lines"
head -n 2 "$work/lines" > "$work/kept"
printf '2027-01-01 00:00 - new year\n2026-06-01 10:00 - hand-made *line* \n' | cmp -s - "$work/kept" || \
    fail "the list's lines were not kept: $(cat "$work/lines")"
added=$(sed -n 3p "$work/lines")
[ "$added" == "$before - call *Jo* @ home" ] || [ "$added" == "$after - call *Jo* @ home" ] || \
    fail "snoozed as '$added', expected '$before - call *Jo* @ home'"
[ "$(wc -l < "$work/lines")" -eq 3 ] || fail "the list holds $(wc -l < "$work/lines") data lines, expected 3"

# Under a file-size limit smaller than the list the snooze cannot be
# written: the box says so, stays open, and the list keeps its bytes.
for i in $(seq 60); do echo "2027-02-01 10:00 - alarm number $i of a long list"; done >> "$list"
cp "$list" "$work/list.before"
(ulimit -f 2; exec "$bin/ruvellomsgbox" '12-24 - Buy the tree' 2> "$work/err") &
box=$!
pids+=("$box")
window=$(findwindow "$box")
[ -n "$window" ] || fail "no window for the box under a file-size limit (status: $(wait "$box"; echo $?))"
xdotool windowfocus --sync "$window"
# Alt+S until the box has tried the write and said so, for at most 30 s.
for _ in $(seq 150); do
    grep -q 'Not snoozed' "$work/err" && break
    kill -0 "$box" 2>/dev/null || break
    xdotool key alt+s
    sleep 0.2
done
grep -q 'Not snoozed' "$work/err" || fail "no word of the failed snooze: $(cat "$work/err")"
handled "$window" || fail "the box closed although the snooze could not be written"
cmp -s "$list" "$work/list.before" || fail "the list changed"
pressuntilgone "$box" Escape
echo "msgbox: passed"
