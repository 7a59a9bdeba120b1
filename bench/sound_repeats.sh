#!/bin/bash
# The CPU time of a reminder window that repeats its sound, through its ten
# sounds, against a window with one sound left open for as long, side by
# side. Each window has a HOME of its own whose default sound device is ALSA's
# file plugin (a file per sound, no card, no server), and runs on a fake
# clock twelve times as fast, so the ten sounds (nine minutes apart from the
# first) take about 45 seconds. It measures and prints; it fails only when
# the ten sounds do not come within three minutes.
# Usage: bash bench/sound_repeats.sh BIN_FOLDER   (DISPLAY must be set)
set -u
bin=$1
work=$(mktemp -d /tmp/ruvello-soundbench-XXXXXX)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
    rm -rf "$work"
}
trap cleanup EXIT
fake=/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1
[ -f "$fake" ] || { echo "no $fake (package faketime)"; exit 2; }

# start KIND CHOICE: a window with that sound choice, in a HOME of its own; sets pid.
start() {
    local home=$work/$1
    mkdir -p "$home/.fltk/ruvello/config" "$home/.config/pulse" "$home/run" "$home/sounds"
    chmod 700 "$home/run"
    echo 'autospawn = no' > "$home/.config/pulse/client.conf"
    printf 'pcm.!default { type file; slave.pcm "null"; file "%s/sounds/out.raw"; format "raw"; truncate false }\n' \
        "$home" > "$home/.asoundrc"
    printf '7\n3\n%s\n' "$2" > "$home/.fltk/ruvello/config/config.dat"
    HOME=$home XDG_RUNTIME_DIR=$home/run LD_PRELOAD=$fake FAKETIME="+0 x12" \
        "$bin/ruvellomsgbox" "12-24 - Buy the tree" 2> /dev/null &
    pid=$!
    pids+=("$pid")
}
# cputime PID: user and system time of the process so far, in milliseconds.
cputime() {
    awk -v tick="$(getconf CLK_TCK)" '{ sub(/^.*\) /, ""); print ($12 + $13) * 1000 / tick }' "/proc/$1/stat"
}

start repeat 2
repeating=$pid
start once 1
once=$pid
began=$(date +%s)
for _ in $(seq 1800); do
    [ "$(find "$work/repeat/sounds" -name 'out.raw*' | wc -l)" -ge 10 ] && break
    sleep 0.1
done
heard=$(find "$work/repeat/sounds" -name 'out.raw*' | wc -l)
[ "$heard" -ge 10 ] || { echo "only $heard sounds within three minutes"; exit 1; }
repeattime=$(cputime "$repeating")
oncetime=$(cputime "$once")
echo "ten sounds in $(($(date +%s) - began)) s on the fast clock (nine fake minutes)"
echo "CPU time: window with the repeat ${repeattime} ms (10 sounds), window with one sound ${oncetime} ms" \
     "($(find "$work/once/sounds" -name 'out.raw*' | wc -l) sound), difference $(awk -v a="$repeattime" -v b="$oncetime" 'BEGIN { print a - b }') ms"
