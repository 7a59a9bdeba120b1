#!/bin/bash
# The real service's fatal paths, without a display: each writes its message
# to standard error exactly and ends with status 1.
source "$(dirname "$0")/common.sh" "$1"

expecterror() {
    local expected=$1
    [ "$status" -eq 1 ] || fail "exit status $status, expected 1"
    [ "$(cat "$work/err")" == "$(printf '%b' "$expected")" ] || fail "standard error differs from: $expected"
}

writefile config.dat 7 3

# A list deleted while the service runs ends it in the next cycle, naming the file.
startservice "2026-05-16 10:00:30" 60
# Once the first cycle read the lists (and saved the new day's state).
waitsaved "2026-05-16 10:00" 30
rm "$data/monthly_alerts.dat"
waitexit 20
expecterror "FATAL ERROR\nCannot create, read or write the following file\n   \"$data/monthly_alerts.dat\""

# No ruvellomsgbox beside the service nor on PATH: the first due alarm ends it.
freshrun
rm "$work/bin/ruvellomsgbox"
writefile monthly_alerts.dat "16 - due today" "17 - not reached"
PATH=/usr/bin:/bin startservice "2026-05-16 10:00:30" 60
waitexit 20
expecterror "Ruvello cannot run \"ruvellomsgbox\"\n\n  Fatal error: the application is quitting."

# A data folder whose path holds '%' and '@', where a file cannot be created
# (a dangling link stands in its place): the path is written unchanged.
freshrun
export HOME=$work/50%d@home
odd=$HOME/.fltk/ruvello/config
mkdir -p "$odd"
printf '7\n3\n' > "$odd/config.dat"
ln -s "$work/nowhere/file" "$odd/single_alerts.dat"
startservice "2026-05-16 10:00:30" 60
waitexit 20
expecterror "FATAL ERROR\nCannot create, read or write the following file\n   \"$odd/single_alerts.dat\""
grep -qF "ERROR: cannot create the following file" "$work/out" || fail "no creation error on standard output"
[ -e "$odd/config.dat" ] || fail "the files before the failing one were not created"
echo "fatal: passed"
