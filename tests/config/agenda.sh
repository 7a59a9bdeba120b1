#!/bin/bash
# ruvelloconfig --upcoming against the real service under a fake clock: for
# the same lists and settings (a monthly advance of 0, an annual one of 30),
# each day's monthly and annual lines of the agenda are exactly those the
# service announces at that day's first cycle, and its simple lines exactly
# those the service announces over the days, across a year end, a month end
# and a 29 February. Then a minute that the start of daylight saving skips:
# the agenda names the minute after the gap, and the service announces the
# simple and the weekly line in it, then a weekly line of the weekend in its
# own minute, and no workday line on that Sunday.
source "$(dirname "$0")/../service/common.sh" "$1"

# agenda START DAYS: the agenda as the panel's command gives it at START.
agenda() {
    LD_PRELOAD=$faketimelib FAKETIME_FMT=%s FAKETIME="@$(date -d "$1" +%s)" \
        "$bin/ruvelloconfig" --upcoming "$2" > "$work/agenda" 2> "$work/agendaerr" ||
        fail "--upcoming ended with $?: $(cat "$work/agendaerr")"
}

# runday START: one short run of the service from START, until its first
# cycle saved the new day's state and its boxes recorded; leaves what it
# announced in $work/day.
runday() {
    freshrun
    startservice "$1" 10
    waitsaved "$1" 30
    stopservice
    cut -d'|' -f2- "$log" > "$work/day"
}

# compare START DAYS: runs the agenda at START, then the service on each day
# of it (first at START, then at each next day's first minute, and once more
# the day after, for the simple alarms caught up then), and compares.
compare() {
    local start=$1 days=$2
    rm -f "$statefile"
    agenda "$start" "$days"
    : > "$work/simple"
    local moment=$start
    for offset in $(seq 0 $((days + 1))); do
        runday "$moment"
        local day
        day=$(date -d "$moment" +%F)
        grep -E '^[0-9]{4}-' "$work/day" >> "$work/simple"
        if [ "$offset" -le "$days" ]; then
            local want got
            want=$(awk -F'\t' -v d="$day" '$1 == d { print $2 }' "$work/agenda" | sort)
            got=$(grep -vE '^[0-9]{4}-' "$work/day" | sort)
            [ "$want" = "$got" ] || fail "on $day the agenda lists
$want
but the service announced
$got"
        fi
        moment="$(date -d "$day + 1 day" +%F) 00:00:30"
    done
    local want got
    want=$(awk -F'\t' 'length($1) > 10 { print $2 }' "$work/agenda" | sort)
    got=$(grep -F -x -f <(awk -F'\t' '{ print $2 }' "$work/agenda") "$work/simple" | sort)
    # What the service announced beyond the agenda's last day stays out of it.
    [ "$want" = "$got" ] || fail "simple alarms: the agenda lists
$want
but the service announced
$got"
    [ "$(grep -cE '^[0-9]{4}-' "$work/simple")" -eq "$(( $(echo "$want" | grep -c .) + $3 ))" ] ||
        fail "the service announced other simple alarms: $(cat "$work/simple")"
}

writefile config.dat "# annual alarms advance" 30 "" "# monthly alarms advance" 0
writefile monthly_alerts.dat "01 - first of the month" "31 - last of the month" "30 - thirtieth" "02 - second" \
    "02 - second" "29 - twenty-ninth" "# a comment"
writefile annual_alerts.dat "01-15 - mid January" "12-30 - the first day" "01-30 - in thirty days" \
    "02-29 - leap day" "12-25 - passed" "02-30 - never"
writefile single_alerts.dat "2027-12-30 08:00 - before the agenda" "2027-12-30 12:00 - noon" \
    "2027-12-31 23:59 - the year's last minute" "2028-01-01 00:00 - midnight" "2028-01-01 00:00 - midnight" \
    "2028-01-02 10:00 - the last day" "2028-01-03 10:00 - beyond" "2027-12-31 25:00 - no such hour"
# Across the year end: 30 December to 2 January. The line beyond the agenda's
# last day is not announced before the service's last run here either.
compare "2027-12-30 09:00:30" 3 0
grep -qxF "$(printf '2027-12-31\t01-30 - in thirty days')" "$work/agenda" || fail "the annual window of 30 days"
grep -qF "before the agenda" "$work/agenda" && fail "a simple alarm before the current minute is listed"

# Across the end of January of a leap year: 29 January to 1 February.
writefile single_alerts.dat "2028-01-31 18:00 - month end" "2028-02-30 10:00 - no such day"
compare "2028-01-29 09:00:30" 3 0
grep -qxF "$(printf '2028-01-30\t02-29 - leap day')" "$work/agenda" || fail "29 February in a leap year"

# The start of daylight saving in Berlin skips 02:00 to 02:59 on 31 March 2024.
export TZ=Europe/Berlin
rm -f "$statefile"
writefile monthly_alerts.dat
writefile annual_alerts.dat
writefile single_alerts.dat "2024-03-31 02:30 - in the gap"
writefile weekly_alerts.dat "03:01 67 - weekend" "03:01 12345 - workdays" "02:30 7 - sundays in the gap"
agenda "2024-03-31 01:58:00" 0
expected=$(printf '%s\t%s\n' "2024-03-31 03:00" "2024-03-31 02:30 - in the gap" "2024-03-31 03:00" \
    "02:30 7 - sundays in the gap" "2024-03-31 03:01" "03:01 67 - weekend")
[ "$(cat "$work/agenda")" = "$expected" ] || fail "the skipped minute: $(cat "$work/agenda")"
freshrun
startservice "2024-03-31 01:59:30" 10
waitsaved "2024-03-31 03:01" 60
stopservice
expectwithin "2024-03-31 02:30 - in the gap" "2024-03-31 03:00:00" "2024-03-31 03:00:59"
expectwithin "02:30 7 - sundays in the gap" "2024-03-31 03:00:00" "2024-03-31 03:00:59"
expectwithin "03:01 67 - weekend" "2024-03-31 03:01:00" "2024-03-31 03:01:59"
# The boxes of one cycle start together and may record in any order: the
# order of the launches is the unit tests'; here each line comes once.
[ "$(cut -d'|' -f2- "$log" | sort)" = "$(cut -f2 "$work/agenda" | sort)" ] || fail "the service announced other lines than the agenda lists"
echo "agenda: passed"
