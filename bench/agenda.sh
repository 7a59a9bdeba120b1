#!/bin/bash
# The agenda against the service's cycle on the same lists: the process
# "ruvelloconfig --upcoming DAYS" (default 366) against the process
# "bench_cycle 1" (one first cycle of a day, which announces every due line
# to a launcher that only counts, and one later cycle), both over lists of
# COUNT lines of each kind (default 10000) in a temporary data folder. The
# two take turns RUNS times (default 11); it prints each one's median wall
# time and the ratio of the medians.
# Usage: bash bench/agenda.sh BINFOLDER [COUNT] [DAYS] [RUNS]
set -euo pipefail
bin=$1
count=${2:-10000}
days=${3:-366}
runs=${4:-11}
work=$(mktemp -d /tmp/ruvello-agenda-bench-XXXXXX)
trap 'rm -rf "$work"' EXIT
unset DISPLAY
export HOME=$work/home XDG_RUNTIME_DIR=$work/run XDG_STATE_HOME=$work/state TZ=UTC
mkdir -p "$HOME/.fltk/ruvello/config" "$XDG_RUNTIME_DIR"
"$bin/bench_service" generate "$HOME/.fltk/ruvello/config" "$count"

# elapsed COMMAND...: the wall time of one run in milliseconds.
elapsed() {
    local from to
    from=$(date +%s%N)
    "$@" > /dev/null 2>&1
    to=$(date +%s%N)
    echo $(((to - from) / 1000000))
}
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

lines=$("$bin/ruvelloconfig" --upcoming "$days" | wc -l)
: > "$work/agenda"
: > "$work/cycle"
for _ in $(seq "$runs"); do
    elapsed "$bin/ruvelloconfig" --upcoming "$days" >> "$work/agenda"
    elapsed "$bin/bench_cycle" 1 >> "$work/cycle"
done
agenda=$(median < "$work/agenda")
cycle=$(median < "$work/cycle")
echo "--upcoming $days over $count lines of each kind ($lines lines printed): $agenda ms;" \
    "one service cycle (bench_cycle 1): $cycle ms; ratio $(awk -v a="$agenda" -v c="$cycle" 'BEGIN { printf "%.1f", a / (c > 0 ? c : 1) }') (median of $runs each)"
