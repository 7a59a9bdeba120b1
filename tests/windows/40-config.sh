#!/usr/bin/env bash
# The real ruvelloconfig.exe under Wine, driven with xdotool as a person would,
# in a profile whose name holds a non-ASCII letter and a blank ("Zoë Müller"):
# creates two annual alarms, sorts them and removes the first answering "Yes",
# creates a weekly alarm for Monday to Friday and a simple alarm, steps the annual advance spinner up, has a second
# copy refused, and closes the window with Escape (status 0). The data files in
# C:\users\Zoë Müller\AppData\Roaming\ruvello\config then hold CR LF lines
# byte for byte (the time of the last update aside). Last, the window is
# shown once more with the frame Wine draws itself, and kept as a screenshot
# with its icon in the build folder (screenshots/config-window.png).
# NEEDS: bin/ruvelloconfig.exe
export USER='Zoë Müller'
. "$(dirname "$0")/common.sh"
makeprefix
shots=$build/screenshots
mkdir -p "$shots"
profile=$(profilepath)
[ "$(basename "$profile")" = "$USER" ] || fail "the profile is $(basename "$profile"), not $USER"
data=$profile/AppData/Roaming/ruvello/config
title='Ruvello 2.0 beta - Configuration Panel'

findwindow() { xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n1; }
haswindow() { [ -n "$(findwindow "$1")" ]; }
# The file holds the line, ended by CR LF.
holds() { grep -qxF -- "$2"$'\r' "$data/$1" 2>/dev/null; }
lacks() { ! holds "$@"; }
datalines() { [ "$(grep -c '^[0-9]' "$data/$1")" = "$2" ]; }
click() {
  xdotool mousemove --window "$wid" "$1" "$2" click 1
  sleep 0.4
}
# Replaces the text of the field at x y and commits it with Enter.
entervalue() {
  click "$1" "$2"
  xdotool key End shift+Home
  xdotool type --delay 40 "$3"
  xdotool key Return
  sleep 0.3
}
check() {
  local what=$1
  shift
  if "$@"; then ok "$what"; else fail "$what"; fi
}

startexe "$bin/ruvelloconfig.exe" >"$work/out" 2>"$work/err"
pid=$!
if ! waitfor 60 haswindow "^$title\$"; then
  fail "the configuration window did not appear"
  finish
  exit
fi
wid=$(findwindow "^$title\$")
# The weekly list is the last one the start-up creates.
waitfor 30 test -e "$data/weekly_alerts.dat" || fail "the data files were not created in $data"
sleep 1
xdotool windowfocus --sync "$wid" 2>/dev/null
year=$(( $(date +%Y) + 1 ))

# Annual tab, shown first: two alarms, sorted, the first one removed with Yes.
entervalue 100 360 12
entervalue 220 360 24
entervalue 250 335 "Buy the tree"
click 505 340
check "annual alarm created" waitfor 10 holds annual_alerts.dat "12-24 - Buy the tree"
entervalue 100 360 1
entervalue 220 360 15
entervalue 250 335 "Renew the car insurance"
click 505 340
check "second annual alarm created" waitfor 10 holds annual_alerts.dat "01-15 - Renew the car insurance"
click 525 165
sleep 0.5
check "annual alarms sorted" test "$(grep '^[0-9]' "$data/annual_alerts.dat" | head -n1)" = $'01-15 - Renew the car insurance\r'
click 150 55
click 525 65
if waitfor 20 haswindow '^Ruvello$'; then
  question=$(findwindow '^Ruvello$')
  sleep 0.5
  # The focus starts on "No", which Enter would press; Tab moves it to "Yes".
  xdotool windowfocus --sync "$question" 2>/dev/null
  xdotool key Tab space
  check "the first annual alarm removed with Yes" waitfor 10 lacks annual_alerts.dat "01-15 - Renew the car insurance"
else
  fail "Remove asked nothing"
fi

# Weekly tab: Monday to Friday at 07:30.
xdotool windowfocus --sync "$wid" 2>/dev/null
click 295 22
for day in 1 2 3 4 5; do click $((11 + 38 * day)) 360; done
entervalue 355 360 7
entervalue 400 360 30
entervalue 250 335 "Get up"
click 505 340
check "weekly alarm created" waitfor 10 holds weekly_alerts.dat "07:30 12345 - Get up"

# Simple tab: next year, 24 December at 18:05.
click 405 22
entervalue 280 310 "Call grandma"
entervalue 90 335 "$year"
entervalue 150 335 12
entervalue 195 335 24
entervalue 80 360 18
entervalue 125 360 5
click 377 347
check "simple alarm created" waitfor 10 holds single_alerts.dat "$year-12-24 18:05 - Call grandma"

# Configuration tab: the annual advance shows the service's 7; one step up.
click 511 22
click 209 154
check "annual advance stepped up" waitfor 10 holds config.dat 8

# A second copy says the panel is open, in a box captioned Ruvello and on
# standard error, and ends with status 0.
startexe "$bin/ruvelloconfig.exe" >"$work/second.out" 2>"$work/second.err"
second=$!
check "a second copy shows its box, closed with Return" closebox 60
timeout 20 tail --pid="$second" -f /dev/null
kill -0 "$second" 2>/dev/null && { fail "the second copy did not end"; kill "$second"; }
status=0
wait "$second" || status=$?
check "the second copy ended with status 0 saying the panel is open" \
  test "$status:$(tr -d '\r' <"$work/second.err")" = "0:The Ruvello configuration panel is already open."

# Escape closes the window; the program ends with status 0.
xdotool mousemove --window "$wid" 300 200 key Escape
timeout 20 tail --pid="$pid" -f /dev/null
status=0
if kill -0 "$pid" 2>/dev/null; then
  fail "Escape did not close the panel"
  kill "$pid"
fi
wait "$pid" || status=$?
check "the panel ended with status 0" test "$status" -eq 0

header() {
  printf '# Ruvello 2.0 - %s\r\n# ----------\r\n#\r\n# Please do not edit this file manually!\r\n# Last update time: <time>\r\n\r\n\r\n' "$1"
}
masked() { sed -E '5s/^(# Last update time: )[0-9]{4}-[0-9]{2}-[0-9]{2} [0-9]{2}:[0-9]{2}\r$/\1<time>\r/' "$data/$1"; }
compare() {
  if diff <(cat -A "$work/expected") <(masked "$1" | cat -A) >"$work/diff"; then
    ok "$1 holds CR LF lines byte for byte"
  else
    fail "$1 differs:"
    cat "$work/diff"
  fi
}
expectlist() {
  local name=$1 description=$2
  shift 2
  { header "$description"; printf '\r\n# alert list\r\n'; printf '%s\r\n' "$@"; } >"$work/expected"
  compare "$name"
}
expectlist annual_alerts.dat "data file for annual alarms" "12-24 - Buy the tree"
expectlist single_alerts.dat "data file for simple alarms" "$year-12-24 18:05 - Call grandma"
expectlist weekly_alerts.dat "data file for weekly alarms" "07:30 12345 - Get up"
{ header "Configuration File"; printf '# annual alarms advance\r\n8\r\n\r\n# monthly alarms advance\r\n3\r\n'; } >"$work/expected"
compare config.dat
check "the untouched monthly list is still empty" test ! -s "$data/monthly_alerts.dat"
check "no temporary file left in the data folder" test -z "$(find "$data" -name '*.tmp')"

# The window once more, framed by Wine itself, for the screenshot with its icon.
"$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1
startexe "$bin/ruvelloconfig.exe" >"$work/shot.out" 2>"$work/shot.err"
shown=$!
if waitfor 60 haswindow "^$title\$"; then
  sleep 2
  shot=$(findwindow "^$title\$")
  import -display "$DISPLAY" -window "$shot" "$shots/config-window.png" 2>/dev/null && \
    ok "screenshot kept: $shots/config-window.png" || fail "no screenshot of the window"
  xdotool mousemove --window "$shot" 300 200 key Escape
fi
timeout 20 tail --pid="$shown" -f /dev/null
kill "$shown" 2>/dev/null
finish
