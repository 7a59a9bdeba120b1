#!/bin/bash
# The real service stopped and started again under a fake clock: what fell
# while it was stopped is announced once, late, in minute order; a restart on
# the same day repeats nothing; a restart in the hour that the end of
# daylight saving repeats (Berlin) announces only a copy added meanwhile;
# --catch-up 0 announces nothing late; a state file that can be neither read
# nor written is reported once and the service goes on.
source "$(dirname "$0")/common.sh" "$1"

writefile config.dat "# annual alarms advance" 7 "" "# monthly alarms advance" 1
writefile single_alerts.dat "2026-05-16 10:00 - at the first start" "2026-05-17 08:00 - fell second" \
    "2026-05-16 12:00 - fell first" "2026-05-18 10:15 - between two starts" "2026-05-18 10:00 - at the second start"
writefile monthly_alerts.dat "16 - seen on the 16th" "17 - seen in advance" "18 - fell while stopped"

# The first run: the alarm of its minute and the monthly window of the 16th.
startservice "2026-05-16 10:00:30" 10
waitsaved "2026-05-16 10:00" 30
stopservice
expectcount 1 "2026-05-16 10:00 - at the first start"
expectcount 1 "16 - seen on the 16th"
expectcount 1 "17 - seen in advance"

# Two days later: the simple alarms that fell, in minute order, then what the
# monthly list missed; nothing the 16th saw comes again.
freshrun
startservice "2026-05-18 10:00:30" 10
waitsaved "2026-05-18 10:00" 30
stopservice
want="2026-05-16 12:00 - fell first
2026-05-17 08:00 - fell second
2026-05-18 10:00 - at the second start
18 - fell while stopped"
got=$(cut -d'|' -f2- "$log" | grep -v "^19 - ")
# The message boxes start together and may record in any order: the order
# of the launches is checked by the unit tests; here each comes once.
[ "$(sort <<<"$got")" = "$(sort <<<"$want")" ] || fail "caught up: $got"
[ "$(wc -l < "$log")" -eq 4 ] || fail "expected 4 announcements"

# The same day again, in the same minute: nothing twice. Its first cycle
# saves nothing, so an alarm of the next minute shows that cycle done; the
# alarm is taken out again before the next run.
freshrun
cp "$data/single_alerts.dat" "$work/single.kept"
echo "2026-05-18 10:01 - the next minute" >> "$data/single_alerts.dat"
startservice "2026-05-18 10:00:50" 10
waitsaved "2026-05-18 10:01" 30
stopservice
cp "$work/single.kept" "$data/single_alerts.dat"
[ "$(cut -d'|' -f2- "$log")" = "2026-05-18 10:01 - the next minute" ] || fail "a restart on the same day announced again"

# Later that day: only what fell between the two starts.
freshrun
startservice "2026-05-18 10:30:30" 10
waitsaved "2026-05-18 10:30" 30
stopservice
[ "$(cut -d'|' -f2- "$log")" = "2026-05-18 10:15 - between two starts" ] || fail "between two starts"

# Catching up turned off: a day later, nothing late. The lists are written
# before the start, so that the first cycle reads them.
freshrun
writefile single_alerts.dat "2026-05-19 08:00 - fell while stopped"
writefile monthly_alerts.dat
LD_PRELOAD=$faketimelib FAKETIME_FMT=%s FAKETIME="@$(date -d "2026-05-19 10:00:30" +%s) x10" \
    "$work/bin/ruvelloservice" --catch-up 0 > "$work/out" 2> "$work/err" &
servicepid=$!
waitsaved "2026-05-19 10:00" 30
stopservice
[ ! -s "$log" ] || fail "--catch-up 0 announced something late"

# A wrong option: a message and status 2, before anything else.
"$work/bin/ruvelloservice" --catch-up 32 > "$work/out" 2> "$work/err"
status=$?
[ "$status" -eq 2 ] || fail "--catch-up 32 ended with status $status"
grep -q "catch-up DAYS" "$work/err" || fail "no usage message"

# The end of daylight saving in Berlin: 02:30 comes twice. Two copies are
# announced at the first 02:30; after a restart in the repeated hour, only
# the third copy, added meanwhile, comes at the second 02:30.
export TZ=Europe/Berlin
rm -f "$statefile"
freshrun
writefile single_alerts.dat "2024-10-27 02:30 - in the repeated hour" "2024-10-27 02:30 - in the repeated hour"
startservice "2024-10-27 02:29:45 CEST" 10
waitsaved "2024-10-27 02:30 CEST" 30
stopservice
expectcount 2 "2024-10-27 02:30 - in the repeated hour"
freshrun
writefile single_alerts.dat "2024-10-27 02:30 - in the repeated hour" "2024-10-27 02:30 - in the repeated hour" \
    "2024-10-27 02:30 - in the repeated hour"
startservice "2024-10-27 02:29:45 CET" 10
# The greatest minute scanned stays the first 02:30; the count of copies
# announced in it shows the second one's cycle saved.
waitsaved "2024-10-27 02:30 CEST" 30 "kept 3 2024-10-27 02:30 - in the repeated hour"
stopservice
expectcount 1 "2024-10-27 02:30 - in the repeated hour"
expectwithin "2024-10-27 02:30 - in the repeated hour" "2024-10-27 02:30:00" "2024-10-27 02:30:10"
[ ! -s "$work/err" ] || fail "unexpected standard error: $(cat "$work/err")"

# A state file that can be neither read nor written: one line each, and the
# service goes on announcing. Nothing is saved to wait for: the alarm of the
# third minute shows the second minute's cycle, and its failed save, done.
export TZ=UTC
rm -f "$statefile"
mkdir "$statefile"
freshrun
writefile single_alerts.dat "2026-05-20 10:00 - still announced" "2026-05-20 10:01 - and the next" \
    "2026-05-20 10:02 - and a third"
startservice "2026-05-20 10:00:30" 10
waitlines 3 30
stopservice
expectcount 1 "2026-05-20 10:00 - still announced"
expectcount 1 "2026-05-20 10:01 - and the next"
expectcount 1 "2026-05-20 10:02 - and a third"
[ "$(grep -c "unreadable state file" "$work/err")" -eq 1 ] || fail "standard error: $(cat "$work/err")"
[ "$(grep -c "cannot write its state file" "$work/err")" -eq 1 ] || fail "standard error: $(cat "$work/err")"

# A file-size limit of 1 KiB and a state of 4 KiB: the write fails instead of
# ending the service (SIGXFSZ is ignored); it says so once and goes on. The
# message box does nothing at first, as the limit holds for it too (its
# records would pass it); once the failure is told, the recorder comes back
# and two alarms of the next minutes show the service going on, through the
# next minute's failed save too.
rm -rf "$statefile"
freshrun
cp "$work/bin/ruvellomsgbox" "$work/recorder"
cp /bin/true "$work/bin/ruvellomsgbox"
writefile single_alerts.dat
for ((i = 0; i < 40; i++)); do printf '20 - %0100d\n' "$i"; done > "$data/monthly_alerts.dat"
read -r upstart _ < /proc/uptime
LD_PRELOAD=$faketimelib FAKETIME_FMT=%s FAKETIME="@$(date -d "2026-05-20 10:00:30" +%s) x10" \
    bash -c 'ulimit -f 1; exec "$0"' "$work/bin/ruvelloservice" > "$work/out" 2> "$work/err" &
servicepid=$!
for _ in $(seq 300); do
    grep -q "cannot write its state file" "$work/err" 2>/dev/null && break
    sleep 0.1
done
grep -q "cannot write its state file" "$work/err" || fail "no word of the failed write within 30 s"
# Renamed into place: a box still running keeps the old file busy.
cp "$work/recorder" "$work/bin/recorder.new"
mv "$work/bin/recorder.new" "$work/bin/ruvellomsgbox"
writefile single_alerts.dat "2026-05-20 10:02 - after the failed write" "2026-05-20 10:03 - and after the next"
waitlines 2 60
stopservice
expectcount 1 "2026-05-20 10:02 - after the failed write"
expectcount 1 "2026-05-20 10:03 - and after the next"
[ "$(grep -c "cannot write its state file" "$work/err")" -eq 1 ] || fail "standard error: $(cat "$work/err")"
echo "catchup: passed"
