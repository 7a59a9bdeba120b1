#!/bin/bash
# The reminder's sound on a real sound path that needs no card and no server:
# ALSA's file plugin, made the default device in the test's HOME, writes each
# sound the box plays to a file of its own (out.raw, out.raw.0001, ...), so
# sounds can be counted. One box sounds once; with "no sound" it is silent;
# five boxes opened together sound once; with the repeat, an unanswered box
# sounds again a minute after the last sound (the clock stepped by a fake
# clock that every box reads from one file), even when the box that sounded
# first has been answered. A device that takes the sound at the pace it plays
# (a pipe read 44.1 kHz fast) shows the sound cut short by the answer. No
# box writes anything to standard error.
#
# Each case has a runtime folder of its own, so that the boxes of one case do
# not count as appearing together with those of the case before.
set -u
bin=$1
work=$(mktemp -d /tmp/ruvello-sound-XXXXXX)
export HOME=$work/home
mkdir -p "$HOME/.config/pulse" "$HOME/.fltk/ruvello/config"
# No sound server: ALSA is the way to the device.
echo 'autospawn = no' > "$HOME/.config/pulse/client.conf"
sounds=$work/sounds
mkdir -p "$sounds"
# fail, the boxes' ends, and findwindow, waitgone, pressuntilgone.
source "$(dirname "$0")/boxes.sh"
[ -n "${DISPLAY:-}" ] || { echo "sound: no display, skipped"; exit 77; }
theme=/usr/share/sounds/freedesktop/stereo/alarm-clock-elapsed.oga
[ -f "$theme" ] || { echo "sound: no $theme (package sound-theme-freedesktop), skipped"; exit 77; }

# device FILE [truncate]: the default device writes each sound to FILE,
# FILE.0001, ..., or with truncate each one to FILE.
device() {
    local keep="truncate false"
    [ $# -gt 1 ] && keep=""
    printf 'pcm.!default { type file; slave.pcm "null"; file "%s"; format "raw"; %s }\n' "$1" "$keep" \
        > "$HOME/.asoundrc"
}
# choose N: the sound's line of the configuration file says N.
choose() {
    printf '# annual alarms advance\n7\n\n# monthly alarms advance\n3\n\n# reminder sound\n%s\n' "$1" \
        > "$HOME/.fltk/ruvello/config/config.dat"
}
# newcase NAME: a runtime folder of the case's own.
newcase() {
    export XDG_RUNTIME_DIR=$work/run-$1
    mkdir -p "$XDG_RUNTIME_DIR"
    chmod 700 "$XDG_RUNTIME_DIR"
}
heard() { find "$sounds" -name 'out.raw*' | wc -l; }
# waitheard N: at least N sounds within 30 s.
waitheard() {
    for _ in $(seq 300); do
        [ "$(heard)" -ge "$1" ] && return 0
        sleep 0.1
    done
    fail "$(heard) sounds, expected $1"
}
# open NAME: starts a box (its standard error in NAME.err), in the
# environment clocked gives; sets box and window.
clocked=()
open() {
    env "${clocked[@]}" "$bin/ruvellomsgbox" "12-24 - $1" 2> "$work/$1.err" &
    box=$!
    pids+=("$box")
    window=$(findwindow "$box")
    [ -n "$window" ] || fail "no window for the box $1"
}
# answer WINDOW PID: Escape until the box is gone, which then wrote nothing.
answer() {
    xdotool windowfocus --sync "$1" || fail "the box is gone before its answer"
    pressuntilgone "$2" Escape
    [ "$status" -eq 0 ] || fail "status $status after Escape"
}
quiet() {
    for err in "$work"/*.err; do
        [ -s "$err" ] && fail "$(basename "$err" .err) wrote: $(cat "$err")"
    done
    return 0
}

device "$sounds/out.raw"
newcase one
choose 1
open one
waitheard 1
answer "$window" "$box"
[ "$(heard)" -eq 1 ] || fail "one box made $(heard) sounds"

# Answered only after its input guard, so a sound it should not make has long been written.
newcase none
choose 0
open none
answer "$window" "$box"
[ "$(heard)" -eq 1 ] || fail "a box with no sound made one"

newcase five
choose 1
boxes=()
for n in 1 2 3 4 5; do
    "$bin/ruvellomsgbox" "12-24 - five $n" 2> "$work/five$n.err" &
    boxes+=($!)
    pids+=($!)
done
windows=()
for pid in "${boxes[@]}"; do
    windows+=("$(findwindow "$pid")")
done
waitheard 2
for i in 0 1 2 3 4; do
    [ -n "${windows[$i]}" ] || fail "no window for box $((i + 1)) of five"
    answer "${windows[$i]}" "${boxes[$i]}"
done
[ "$(heard)" -eq 2 ] || fail "five boxes opened together made $(($(heard) - 1)) sounds"

# The repeat, with both boxes on one fake clock that the test steps.
newcase repeat
choose 2
clock=$work/clock
echo "+0" > "$clock"
fake=/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1
[ -f "$fake" ] || fail "no $fake (package faketime)"
clocked=(LD_PRELOAD=$fake FAKETIME_TIMESTAMP_FILE=$clock FAKETIME_NO_CACHE=1)
open first
firstbox=$box firstwindow=$window
open second
waitheard 3
answer "$firstwindow" "$firstbox"
[ "$(heard)" -eq 3 ] || fail "two boxes opened together made $(($(heard) - 2)) sounds"
echo "+61" > "$clock"
waitheard 4
answer "$window" "$box"
clocked=()
[ "$(heard)" -eq 4 ] || fail "the repeat made $(($(heard) - 3)) sounds, expected 1"

# A device at the pace of the sound: a pipe read 17,640 bytes (0.1 s of
# 16-bit stereo at 44.1 kHz) at a time, ten times a second. The whole sound
# is 6.7 s; the box, answered as soon as it hears keys, stops it well before.
newcase cut
choose 1
mkfifo "$work/pipe"
device "$work/pipe" truncate
(
    while :; do
        got=$(dd bs=17640 count=1 iflag=fullblock 2> /dev/null | tee -a "$work/played" | wc -c)
        [ "$got" -eq 0 ] && break
        sleep 0.1
    done < "$work/pipe"
) &
pids+=($!)
open cut
for _ in $(seq 300); do
    [ -s "$work/played" ] && break
    sleep 0.1
done
[ -s "$work/played" ] || fail "the paced device got no sound"
answer "$window" "$box"
played=$(wc -c < "$work/played")
[ "$played" -lt 1000000 ] || fail "the answer did not stop the sound: $played bytes played"
quiet
echo "sound: passed"
