#!/bin/bash
# A workday alarm across a simulated week with the real service under a fake
# clock: started each morning shortly before the alarm's minute (the state
# file kept between the runs, as after a night's suspend), it announces
# "07:30 12345" in that minute from Monday to Friday and not on Saturday or
# Sunday, while a weekend line comes on those two days only. Then a stop of
# three days: the workday line missed three times is announced once.
source "$(dirname "$0")/common.sh" "$1"

writefile weekly_alerts.dat "07:30 12345 - get up" "07:30 67 - sleep in"

# 7 December 2026 is a Monday.
for offset in 0 1 2 3 4 5 6; do
    day=$(date -d "2026-12-07 + $offset day" +%F)
    freshrun
    startservice "$day 07:29:40" 10
    waitsaved "$day 07:30" 30
    stopservice
    if [ "$offset" -lt 5 ]; then
        expected="07:30 12345 - get up"
    else
        expected="07:30 67 - sleep in"
    fi
    [ "$(cut -d'|' -f2- "$log")" = "$expected" ] || fail "on $day announced: $(cut -d'|' -f2- "$log")"
    expectwithin "$expected" "$day 07:30:00" "$day 07:30:59"
done

# Stopped from Sunday to Wednesday noon: Monday's, Tuesday's and Wednesday's
# minutes passed, and the line comes once.
freshrun
startservice "2026-12-16 12:00:30" 10
waitsaved "2026-12-16 12:00" 30
stopservice
[ "$(cut -d'|' -f2- "$log")" = "07:30 12345 - get up" ] || fail "after the gap: $(cut -d'|' -f2- "$log")"
echo "week: passed"
