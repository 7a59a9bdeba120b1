#!/bin/bash
# Measures, on the real clock, how late the reminder service announces after
# the start of a minute and how often it wakes while nothing is due, for one
# or more builds side by side (they run at the same time, each in its own
# temporary HOME). For each build two copies run: one with a simple alarm in
# every minute of the run, whose message box records the moment it starts,
# and one with empty lists, whose voluntary context switches (from
# /proc/PID/status) count its wake-ups.
# Usage: bash bench/service_lateness.sh MINUTES NAME=BINFOLDER [NAME=BINFOLDER...]
set -euo pipefail
minutes=$1
shift
work=$(mktemp -d /tmp/ruvello-lateness-XXXXXX)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT
unset DISPLAY
export TZ=UTC

# prepare NAME BINFOLDER KIND: a HOME with the service beside a recording
# message box; KIND busy gets one alarm a minute, idle none.
prepare() {
    local folder=$work/$1-$3
    mkdir -p "$folder/home/.fltk/ruvello/config" "$folder/run" "$folder/state" "$folder/bin"
    chmod 700 "$folder/run"
    cp "$2/ruvelloservice" "$folder/bin/"
    # Bash's own clock variable: no further process between the start and the record.
    printf '#!/bin/bash\nprintf "%%s|%%s\\n" "$EPOCHREALTIME" "$1" >> %s\n' "$folder/announced.log" > "$folder/bin/ruvellomsgbox"
    chmod 755 "$folder/bin/ruvellomsgbox"
    : > "$folder/announced.log"
    local lines=$folder/home/.fltk/ruvello/config/single_alerts.dat
    : > "$lines"
    if [ "$3" = busy ]; then
        local now
        now=$(date +%s)
        for ((m = 1; m <= minutes + 1; m++)); do
            echo "$(date -d "@$((now - now % 60 + m * 60))" '+%Y-%m-%d %H:%M') - minute $m" >> "$lines"
        done
    fi
}

names=()
for build in "$@"; do
    names+=("${build%%=*}")
    prepare "${build%%=*}" "${build#*=}" busy
    prepare "${build%%=*}" "${build#*=}" idle
done
for name in "${names[@]}"; do
    for kind in busy idle; do
        folder=$work/$name-$kind
        HOME=$folder/home XDG_RUNTIME_DIR=$folder/run XDG_STATE_HOME=$folder/state \
            "$folder/bin/ruvelloservice" > /dev/null 2> "$folder/err" &
        pids+=($!)
        echo $! > "$folder/pid"
    done
done
# Past the first cycle, then count over whole minutes.
sleep 2
declare -A switches
for name in "${names[@]}"; do
    switches[$name]=$(awk '/^voluntary_ctxt_switches/ { print $2 }' "/proc/$(cat "$work/$name-idle/pid")/status")
done
sleep $((minutes * 60))

echo "build | announcements | lateness median ms | lateness worst ms | wake-ups per idle minute"
for name in "${names[@]}"; do
    idlepid=$(cat "$work/$name-idle/pid")
    kill -0 "$idlepid" || { echo "$name: the idle service ended: $(cat "$work/$name-idle/err")"; exit 1; }
    now=$(awk '/^voluntary_ctxt_switches/ { print $2 }' "/proc/$idlepid/status")
    wakeups=$(awk -v a="${switches[$name]}" -v b="$now" -v m="$minutes" 'BEGIN { printf "%.1f", (b - a) / m }')
    # Lateness: the record's moment less the start of the alarm's minute.
    late=$(while IFS='|' read -r moment line; do
        start=$(date -d "${line:0:16}" +%s)
        awk -v t="$moment" -v s="$start" 'BEGIN { printf "%.1f\n", (t - s) * 1000 }'
    done < "$work/$name-busy/announced.log" | sort -n)
    count=$(grep -c . <<<"$late" || true)
    median=$(sed -n "$(((count + 1) / 2))p" <<<"$late")
    worst=$(tail -n1 <<<"$late")
    echo "$name | $count | $median | $worst | $wakeups"
done
