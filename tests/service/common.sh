# Shared by the end-to-end scripts of the reminder service; sourced with the
# build's bin folder as $1. Gives each script a temporary HOME,
# XDG_RUNTIME_DIR and XDG_STATE_HOME (where the service keeps its state), a
# copy of the service in a folder of its own beside a recording ruvellomsgbox
# (the service looks beside its executable first, and /proc/self/exe
# resolves links, so the binary is copied), and helpers to run the service
# under a sped-up fake clock. No display: no fatal error waits for a click.
set -u
bin=$1
faketimelib=/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1
work=$(mktemp -d /tmp/ruvello-service-e2e-XXXXXX)
servicepid=""
cleanup() {
    if [ -n "$servicepid" ]; then kill "$servicepid" 2>/dev/null; fi
    rm -rf "$work"
}
trap cleanup EXIT
unset DISPLAY
export HOME=$work/home XDG_RUNTIME_DIR=$work/run XDG_STATE_HOME=$work/state TZ=${TZ:-UTC}
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" "$work/bin"
chmod 700 "$XDG_RUNTIME_DIR"
data=$HOME/.fltk/ruvello/config
mkdir -p "$data"
cp "$bin/ruvelloservice" "$work/bin/"
log=$work/announced.log
: > "$log"
statefile=$XDG_STATE_HOME/ruvello/service.state
# The recorder writes the uptime (a clock no fake time reaches) and its argument.
cat > "$work/bin/ruvellomsgbox" <<RECORDER
#!/bin/bash
read -r uptime _ < /proc/uptime
printf '%s|%s\n' "\$uptime" "\$1" >> '$log'
RECORDER
chmod 755 "$work/bin/ruvellomsgbox"

fail() {
    echo "FAIL: $*"
    echo "--- announced (last 20):"; tail -n 20 "$log"
    echo "--- standard error:"; cat "$work/err" 2>/dev/null
    exit 1
}

# writefile name text...: a data file with the given lines.
writefile() {
    local name=$1
    shift
    printf '%s\n' "$@" > "$data/$name"
}

# startservice START RATE: runs the service from the local time START (any
# form date -d takes) at RATE times the speed of the real clock.
startservice() {
    fakestart=$(date -d "$1" +%s) || fail "bad start time $1"
    rate=$2
    read -r upstart _ < /proc/uptime
    LD_PRELOAD=$faketimelib FAKETIME_FMT=%s FAKETIME="@$fakestart x$rate" \
        "$work/bin/ruvelloservice" > "$work/out" 2> "$work/err" &
    servicepid=$!
}

# stopservice: ends the running service, which must still be running.
stopservice() {
    kill -0 "$servicepid" 2>/dev/null || fail "the service ended by itself"
    kill "$servicepid"
    wait "$servicepid" 2>/dev/null
    servicepid=""
    # The signal left the fake clock's objects behind; they would fail a later faketime.
    bash "$(dirname "${BASH_SOURCE[0]}")/../../scripts/clearfaketime.sh"
}

# waitexit SECONDS: waits for the service to end by itself; sets status.
waitexit() {
    local tries=$(($1 * 10))
    while kill -0 "$servicepid" 2>/dev/null && [ "$tries" -gt 0 ]; do
        sleep 0.1
        tries=$((tries - 1))
    done
    kill -0 "$servicepid" 2>/dev/null && fail "the service did not end within $1 s"
    wait "$servicepid"
    status=$?
    servicepid=""
}

# waitlines COUNT SECONDS: waits until COUNT announcements were recorded.
waitlines() {
    local tries=$(($2 * 10))
    while [ "$(wc -l < "$log")" -lt "$1" ] && [ "$tries" -gt 0 ]; do
        sleep 0.1
        tries=$((tries - 1))
    done
}

# waitsaved MOMENT SECONDS [LINE]: waits until the running service has saved
# its state with MOMENT's minute (any form date -d takes) or a later one as
# the greatest it scanned, holding LINE too when given, and no message box it
# started still runs: all that its cycles up to that save announced is in the
# log then. The service saves after a cycle that announced something or began
# a day, last in the cycle.
waitsaved() {
    local utc scanned tries=$(($2 * 10))
    utc=$(date -d "$1" +%s) || fail "bad moment $1"
    utc=$(date -u -d "@$utc" '+%F %H:%M')
    while [ "$tries" -gt 0 ]; do
        scanned=$(sed -n 's/^utc //p' "$statefile" 2>/dev/null)
        if [ -n "$scanned" ] && [[ ! "$scanned" < "$utc" ]] && [ -z "$(pgrep -P "$servicepid")" ] &&
            { [ -z "${3:-}" ] || grep -qxF -- "$3" "$statefile"; }; then
            return 0
        fi
        sleep 0.1
        tries=$((tries - 1))
    done
    fail "no state saved for $1 (UTC $utc) ${3:+with \"$3\" }within $2 s; the state file: $(cat "$statefile" 2>/dev/null)"
}

# announcements: each announcement as "YYYY-MM-DD HH:MM:SS|line", the moment
# on the service's fake clock worked out from the uptime it was recorded at.
announcements() {
    local uptime line
    while IFS='|' read -r uptime line; do
        local fake
        fake=$(awk -v s="$fakestart" -v r="$rate" -v u="$uptime" -v u0="$upstart" \
            'BEGIN { printf "%d", s + r * (u - u0) }')
        printf '%s|%s\n' "$(date -d "@$fake" '+%F %T')" "$line"
    done < "$log"
}

# count LINE: how many times LINE was announced.
count() { cut -d'|' -f2- "$log" | grep -cxF -- "$1"; }

# expectcount N LINE
expectcount() {
    local got
    got=$(count "$2")
    [ "$got" -eq "$1" ] || fail "\"$2\" announced $got times, expected $1"
}

# expectwithin LINE FROM TO: LINE was announced between the two fake moments.
expectwithin() {
    local moment
    moment=$(announcements | grep -F "|$1" | head -n1 | cut -d'|' -f1)
    [ -n "$moment" ] || fail "\"$1\" was not announced"
    [[ ! "$moment" < "$2" && ! "$moment" > "$3" ]] || fail "\"$1\" announced at $moment, not within $2 to $3"
}

# startservicestepped START RATE: as startservice, with the fake clock read
# from a file on every call, so that setclock can step it while it runs.
startservicestepped() {
    fakestart=$(date -d "$1" +%s) || fail "bad start time $1"
    rate=$2
    read -r upstart _ < /proc/uptime
    echo "@$fakestart x$rate" > "$work/clock"
    LD_PRELOAD=$faketimelib FAKETIME_FMT=%s FAKETIME_TIMESTAMP_FILE=$work/clock FAKETIME_NO_CACHE=1 \
        "$work/bin/ruvelloservice" > "$work/out" 2> "$work/err" &
    servicepid=$!
}

# setclock MOMENT: steps the running service's clock to about MOMENT.
setclock() {
    echo "@$(date -d "$1" +%s) x$rate" > "$work/clock"
}

# freshrun: forgets what the previous run announced.
freshrun() {
    : > "$log"
    rm -f "$work/out" "$work/err"
}
