#!/bin/bash
# The real service while the local clock jumps: the start and the end of
# daylight saving in Berlin, a suspend of two hours, a step back of an hour
# and a correction of ten days, beyond the catch-up limit of seven. Minutes passed over are announced once,
# late; minutes shown twice are not announced again; a correction is not
# caught up.
export TZ=Europe/Berlin
source "$(dirname "$0")/common.sh" "$1"

# 2024-03-31: 01:59 CET is followed by 03:00 CEST.
writefile single_alerts.dat "2024-03-31 01:59 - before the gap" "2024-03-31 02:30 - in the gap" \
    "2024-03-31 03:00 - after the gap" "2024-03-31 03:01 - one past"
startservice "2024-03-31 01:58:30 CET" 10
waitsaved "2024-03-31 03:01" 40
stopservice
for line in "2024-03-31 01:59 - before the gap" "2024-03-31 02:30 - in the gap" "2024-03-31 03:00 - after the gap" \
    "2024-03-31 03:01 - one past"; do
    expectcount 1 "$line"
done
expectwithin "2024-03-31 01:59 - before the gap" "2024-03-31 01:59:00" "2024-03-31 01:59:59"
expectwithin "2024-03-31 02:30 - in the gap" "2024-03-31 03:00:00" "2024-03-31 03:00:40"
expectwithin "2024-03-31 03:01 - one past" "2024-03-31 03:01:00" "2024-03-31 03:01:40"

# 2024-10-27: 02:59 CEST is followed by 02:00 CET; the hour is shown twice.
freshrun
writefile single_alerts.dat "2024-10-27 02:56 - in the hour shown twice" "2024-10-27 03:00 - after the change"
writefile monthly_alerts.dat "27 - monthly"
startservice "2024-10-27 00:55:30 UTC" 180
waitsaved "2024-10-27 03:00 CET" 60
stopservice
expectcount 1 "2024-10-27 02:56 - in the hour shown twice"
expectcount 1 "2024-10-27 03:00 - after the change"
expectcount 1 "27 - monthly"
writefile monthly_alerts.dat

# A suspend, a step back and a correction, the clock stepped while it runs.
TZ=UTC
freshrun
writefile single_alerts.dat "2026-05-16 10:00 - at the start" "2026-05-16 10:30 - during the suspend" \
    "2026-05-16 11:01 - in the hour shown twice" "2026-05-16 11:59 - just before waking" "2026-05-16 12:00 - on waking" \
    "2026-05-18 10:00 - skipped by the correction" "2026-05-26 10:02 - after the correction"
startservicestepped "2026-05-16 10:00:30" 30
waitlines 1 20
setclock "2026-05-16 12:00:30"
waitlines 5 20
setclock "2026-05-16 11:00:30"
# Long enough for the clock to pass 11:01 again.
sleep 3
setclock "2026-05-26 10:00:30"
waitlines 6 30
sleep 1
stopservice
for line in "2026-05-16 10:00 - at the start" "2026-05-16 10:30 - during the suspend" \
    "2026-05-16 11:01 - in the hour shown twice" "2026-05-16 11:59 - just before waking" "2026-05-16 12:00 - on waking" \
    "2026-05-26 10:02 - after the correction"; do
    expectcount 1 "$line"
done
expectcount 0 "2026-05-18 10:00 - skipped by the correction"
echo "clock: passed"
