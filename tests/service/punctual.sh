#!/bin/bash
# The real service on the real clock: an alarm of the next minute comes in
# that minute's first moments, not before it and not a whole minute late. How
# late exactly, and how often the service woke while it waited, are figures
# for the benchmark (bench/service_lateness.sh), not limits here: this
# machine is shared, so the bound below only tells a wait that slept through
# the minute from one that ended at its start, and the wake-ups are printed.
source "$(dirname "$0")/common.sh" "$1"
# Bash's own clock: the record is taken in the message box's first moment.
cat > "$work/bin/ruvellomsgbox" <<RECORDER
#!/bin/bash
printf '%s|%s\n' "\$EPOCHREALTIME" "\$1" >> '$log'
RECORDER

# Start in the second half of a minute, so that the wait is long enough to
# tell one wake-up from many.
second=$(date +%-S)
if [ "$second" -gt 45 ] || [ "$second" -lt 25 ]; then sleep $(((85 - second) % 60)); fi
minute=$(($(date +%s) / 60 * 60 + 60))
writefile single_alerts.dat "$(date -d "@$minute" '+%Y-%m-%d %H:%M') - on the minute"
"$work/bin/ruvelloservice" > "$work/out" 2> "$work/err" &
servicepid=$!
# Past the first cycle, which saves the day's state, before counting.
waitsaved "@$((minute - 60))" 30
switches() { awk '/^voluntary_ctxt_switches/ { print $2 }' "/proc/$servicepid/status"; }
before=$(switches)
# Until just before the minute, for the count of wake-ups while it waits.
left=$((minute - $(date +%s) - 1))
[ "$left" -gt 0 ] && sleep "$left"
after=$(switches)
waitlines 1 20
stopservice
[ "$(wc -l < "$log")" -eq 1 ] || fail "the alarm was not announced within 20 seconds of its minute"
late=$(awk -F'|' -v m="$minute" '{ printf "%d", ($1 - m) * 1000 }' "$log")
[ "$late" -ge 0 ] || fail "announced $((-late)) ms before the minute's start"
echo "punctual: passed ($late ms late, $((after - before)) wake-ups while waiting)"
