#!/bin/bash
# Runs the real reminder service through one simulated day (faketime, a day
# in about a minute) with lists of COUNT lines of each kind (default 1000)
# and a message box that does nothing, then reports its peak resident memory
# and the CPU time it used. Usage: bash bench/service_day.sh BINFOLDER [COUNT]
set -euo pipefail
bin=$1
count=${2:-1000}
rate=1440
work=$(mktemp -d /tmp/ruvello-day-XXXXXX)
pid=""
cleanup() {
    if [ -n "$pid" ]; then kill "$pid" 2>/dev/null || true; fi
    rm -rf "$work"
}
trap cleanup EXIT
unset DISPLAY
export HOME=$work/home XDG_RUNTIME_DIR=$work/run XDG_STATE_HOME=$work/state TZ=UTC
mkdir -p "$HOME/.fltk/ruvello/config" "$XDG_RUNTIME_DIR" "$work/bin"
"$bin/bench_service" generate "$HOME/.fltk/ruvello/config" "$count"
cp "$bin/ruvelloservice" "$work/bin/"
cp /bin/true "$work/bin/ruvellomsgbox"
start=$(date -d "2026-05-16 00:00:00" +%s)
LD_PRELOAD=/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1 FAKETIME_FMT=%s FAKETIME="@$start x$rate" \
    "$work/bin/ruvelloservice" > /dev/null 2> "$work/err" &
pid=$!
sleep 2
read -r rssstart < <(awk '/^VmRSS/ { print $2 }' "/proc/$pid/status")
# 86400 fake seconds at the rate, less the two already slept.
sleep $((86400 / rate - 2))
ticks=$(getconf CLK_TCK)
read -r -a fields < <(cut -d' ' -f14,15 "/proc/$pid/stat")
cpu=$(awk -v u="${fields[0]}" -v s="${fields[1]}" -v t="$ticks" 'BEGIN { printf "%.2f", (u + s) / t }')
rss=$(awk '/^VmRSS/ { print $2 }' "/proc/$pid/status")
peak=$(awk '/^VmHWM/ { print $2 }' "/proc/$pid/status")
kill -0 "$pid" || { echo "the service ended: $(cat "$work/err")"; exit 1; }
echo "simulated day with $count lines of each kind: resident memory ${rssstart} kB after the first cycle, ${rss} kB at the end, peak ${peak} kB; CPU time ${cpu} s (user+system)"
