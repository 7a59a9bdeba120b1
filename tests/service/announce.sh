#!/bin/bash
# The real service under a fake clock ten times as fast, from 23:59:30 to past
# 00:03: each alarm in its own minute and once, and the monthly and annual
# windows announced again in the first cycle of the new day; a weekly line on
# its day only.
source "$(dirname "$0")/common.sh" "$1"

writefile config.dat "# annual alarms advance" 7 "" "# monthly alarms advance" 2
writefile single_alerts.dat "# alert list" "2026-05-16 23:58 - before the start" "2026-05-16 23:59 - at the start" \
    "2026-05-17 00:00 - at midnight" "2026-05-17 00:01 - one past" "2026-05-17 00:03 - the last one" \
    "2026-05-17 00:05 - too late"
writefile monthly_alerts.dat "17 - monthly 17" "19 - monthly 19" "20 - monthly 20"
writefile annual_alerts.dat "05-23 - annual 23" "05-24 - annual 24" "05-25 - annual 25"
# 16 May 2026 is a Saturday: the Sunday line comes across midnight.
writefile weekly_alerts.dat "00:00 7 - sunday at midnight" "00:00 6 - saturday only"

startservice "2026-05-16 23:59:30" 10
# The alarm of 00:03 is the last one due: once it came, every cycle before it
# is done, and nothing else may have come.
waitlines 11 60
stopservice

expectcount 0 "2026-05-16 23:58 - before the start"
expectcount 1 "2026-05-16 23:59 - at the start"
expectcount 1 "2026-05-17 00:00 - at midnight"
expectcount 1 "2026-05-17 00:01 - one past"
expectcount 1 "2026-05-17 00:03 - the last one"
expectcount 0 "2026-05-17 00:05 - too late"
expectcount 2 "17 - monthly 17"
expectcount 1 "19 - monthly 19"
expectcount 0 "20 - monthly 20"
expectcount 2 "05-23 - annual 23"
expectcount 1 "05-24 - annual 24"
expectcount 0 "05-25 - annual 25"
expectcount 1 "00:00 7 - sunday at midnight"
expectcount 0 "00:00 6 - saturday only"
[ "$(wc -l < "$log")" -eq 11 ] || fail "expected 11 announcements"
expectwithin "2026-05-16 23:59 - at the start" "2026-05-16 23:59:30" "2026-05-16 23:59:59"
expectwithin "2026-05-17 00:00 - at midnight" "2026-05-17 00:00:00" "2026-05-17 00:00:40"
expectwithin "00:00 7 - sunday at midnight" "2026-05-17 00:00:00" "2026-05-17 00:00:40"
expectwithin "19 - monthly 19" "2026-05-17 00:00:00" "2026-05-17 00:00:40"
expectwithin "05-24 - annual 24" "2026-05-17 00:00:00" "2026-05-17 00:00:40"
expectwithin "2026-05-17 00:01 - one past" "2026-05-17 00:01:00" "2026-05-17 00:01:40"
# The files were there: nothing was created, and the service wrote nothing.
[ ! -s "$work/out" ] || fail "unexpected standard output: $(cat "$work/out")"
[ ! -s "$work/err" ] || fail "unexpected standard error: $(cat "$work/err")"
echo "announce: passed"
