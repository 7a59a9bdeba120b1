#!/usr/bin/env bash
# Drives the real ruvelloconfig as a person would, with xdotool on the X
# server in $DISPLAY: creates an alarm on each of the four alarm tabs, sorts,
# removes a line answering "Yes", is refused a weekly alarm without a day,
# steps an advance spinner, has a second copy refused, and closes the window.
# Then checks the five data files byte for byte
# (the time of the last update aside) and keeps a screenshot of each tab in the
# screenshot folder for a person to look at.
# Usage: e2e.sh <folder with ruvelloconfig> <screenshot folder>
set -euo pipefail
bin=$1
shots=$2
[ -n "${DISPLAY:-}" ] || { echo "needs an X server in DISPLAY"; exit 1; }
mkdir -p "$shots"
work=$(mktemp -d)
pid=""
cleanup() {
  [ -n "$pid" ] && kill "$pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
export HOME=$work/home XDG_RUNTIME_DIR=$work/run
mkdir -p "$HOME" "$XDG_RUNTIME_DIR"
data=$HOME/.fltk/ruvello/config

fail() { echo "FAILED: $*"; exit 1; }

# Waits up to 30 seconds for a command to succeed: a panel starting on a
# machine busy with other builds was seen to take more than 10.
waitfor() {
  for _ in $(seq 300); do
    "$@" && return 0
    sleep 0.1
  done
  return 1
}

windowsof() { xdotool search --pid "$1" 2>/dev/null || true; }
haswindow() { [ -n "$(windowsof "$1")" ]; }
ended() { ! kill -0 "$1" 2>/dev/null || [ "$(awk '/^State/ {print $2}' "/proc/$1/status" 2>/dev/null)" = Z ]; }
datalines() { [ "$(grep -c '^[0-9]' "$data/$1")" = "$2" ]; }
hasdialog() { [ "$(windowsof "$1" | wc -l)" -ge 2 ]; }
visible() { xdotool search --onlyvisible --pid "$pid" 2>/dev/null || true; }
hasvisibledialog() { [ "$(visible | wc -l)" -ge 2 ]; }
nodialog() { [ "$(visible | wc -l)" -le 1 ]; }
holds() { grep -qxF -- "$2" "$data/$1" 2>/dev/null; }
lacks() { ! grep -qxF -- "$2" "$data/$1" 2>/dev/null; }

click() {
  xdotool mousemove --window "$wid" "$1" "$2" click 1
  sleep 0.3
}

# Replaces the text of the field at x y and commits it with Enter.
entervalue() {
  click "$1" "$2"
  xdotool key End shift+Home
  xdotool type --delay 30 "$3"
  xdotool key Return
  sleep 0.2
}

shot() { import -display "$DISPLAY" -window "$wid" "$shots/$1.png"; }
# A data file with the time of its last update masked.
masked() { sed -E '5s/^(# Last update time: )[0-9]{4}-[0-9]{2}-[0-9]{2} [0-9]{2}:[0-9]{2}$/\1<time>/' "$data/$1"; }

"$bin/ruvelloconfig" >"$work/out" 2>"$work/err" &
pid=$!
waitfor haswindow "$pid" || { cat "$work/err"; fail "the window did not appear"; }
wid=$(windowsof "$pid" | head -n 1)
[ "$(xdotool getwindowname "$wid")" = "Ruvello 2.0 beta - Configuration Panel" ] || fail "window title"
# The weekly list is the last one the start-up creates.
waitfor test -e "$data/weekly_alerts.dat" || fail "the data files were not created"
sleep 0.5
xdotool windowraise "$wid"
year=$(( $(date +%Y) + 1 ))

# Annual tab, shown first: two alarms, sort ascending, remove the first line.
entervalue 100 360 12
entervalue 220 360 24
entervalue 250 335 "Buy the tree"
click 505 340
waitfor holds annual_alerts.dat "12-24 - Buy the tree" || fail "annual Create"
entervalue 100 360 1
entervalue 220 360 15
entervalue 250 335 "Renew the car insurance"
click 505 340
waitfor holds annual_alerts.dat "01-15 - Renew the car insurance" || fail "second annual Create"
click 525 165
waitfor datalines annual_alerts.dat 2 || fail "annual Sort"
[ "$(tail -n 2 "$data/annual_alerts.dat" | head -n 1)" = "01-15 - Renew the car insurance" ] || fail "annual order"
click 150 55
click 525 65
waitfor hasdialog "$pid" || fail "Remove asked nothing"
sleep 0.3
question=$(windowsof "$pid" | grep -vx "$wid" | head -n 1)
import -display "$DISPLAY" -window "$question" "$shots/remove-question.png"
# The focus starts on "No", which Enter would press; Tab moves it to "Yes".
xdotool key Tab space
waitfor lacks annual_alerts.dat "01-15 - Renew the car insurance" || fail "Remove with Yes"
shot annual

# Monthly tab.
click 200 22
entervalue 130 360 5
entervalue 250 335 "Pay the rent"
click 505 340
waitfor holds monthly_alerts.dat "05 - Pay the rent" || fail "monthly Create"
shot monthly

# Weekly tab: three alarms made by turning day toggles on and off, sorted
# ascending, the first removed, sorted descending; then Create with no day.
# toggle <ISO digit>...: presses the toggles of those days.
toggle() {
  local day
  for day in "$@"; do click $((11 + 38 * day)) 360; done
}
click 295 22
toggle 1 2 3 4 5 6 7
entervalue 355 360 21
entervalue 400 360 0
entervalue 250 335 "Pills"
click 505 340
waitfor holds weekly_alerts.dat "21:00 1234567 - Pills" || fail "weekly Create, every day"
toggle 6 7
entervalue 355 360 7
entervalue 400 360 30
entervalue 250 335 "Get up"
click 505 340
waitfor holds weekly_alerts.dat "07:30 12345 - Get up" || fail "weekly Create, Monday to Friday"
toggle 7 1 2 3 4 5 6
entervalue 355 360 10
entervalue 400 360 0
entervalue 250 335 "Long run"
click 505 340
waitfor holds weekly_alerts.dat "10:00 67 - Long run" || fail "weekly Create, the weekend"
click 525 165
waitfor test "$(grep '^[0-9]' "$data/weekly_alerts.dat" | head -n 1)" = "07:30 12345 - Get up" || fail "weekly Sort ascending"
click 150 55
click 525 65
waitfor hasvisibledialog || fail "weekly Remove asked nothing"
sleep 0.3
xdotool key Tab space
waitfor nodialog || fail "the question of the weekly Remove stayed open"
waitfor lacks weekly_alerts.dat "07:30 12345 - Get up" || fail "weekly Remove with Yes"
click 525 115
waitfor test "$(grep '^[0-9]' "$data/weekly_alerts.dat" | head -n 1)" = "21:00 1234567 - Pills" || fail "weekly Sort descending"
shot weekly
masked weekly_alerts.dat >"$work/weekly-before-refusal"
toggle 6 7
click 505 340
waitfor hasvisibledialog || fail "Create without a day gave no alert"
sleep 0.3
import -display "$DISPLAY" -window "$(visible | grep -vx "$wid" | head -n 1)" "$shots/weekly-no-day.png"
xdotool key Return
waitfor nodialog || fail "the alert of Create without a day stayed open"
diff "$work/weekly-before-refusal" <(masked weekly_alerts.dat) >/dev/null || fail "Create without a day changed the list"

# Simple tab: next year, 24 December at 18:05.
click 405 22
entervalue 280 310 "Call grandma"
entervalue 90 335 "$year"
entervalue 150 335 12
entervalue 195 335 24
entervalue 80 360 18
entervalue 125 360 5
click 377 347
waitfor holds single_alerts.dat "$year-12-24 18:05 - Call grandma" || fail "simple Create"
shot simple

# Configuration tab: the annual advance shows the service's 7; one step up.
click 511 22
click 209 154
waitfor holds config.dat 8 || fail "annual advance step"
shot configuration

# A second copy says the panel is open and ends with status 0.
"$bin/ruvelloconfig" >"$work/second.out" 2>"$work/second.err" &
second=$!
waitfor haswindow "$second" || fail "the second copy showed no alert"
sleep 0.3
secondwid=$(windowsof "$second" | head -n 1)
import -display "$DISPLAY" -window "$secondwid" "$shots/second-copy.png"
xdotool mousemove --window "$secondwid" 10 10 key Return
waitfor ended "$second" || fail "the second copy did not end"
status=0
wait "$second" || status=$?
[ "$status" = 0 ] || fail "the second copy ended with status $status"

# Escape closes the window; the program ends with status 0.
xdotool mousemove --window "$wid" 300 200 key Escape
status=0
waitfor ended "$pid" || fail "Escape did not close the panel"
wait "$pid" || status=$?
pid=""
[ "$status" = 0 ] || fail "the panel ended with status $status"

header() {
  printf '# Ruvello 2.0 - %s\n# ----------\n#\n# Please do not edit this file manually!\n# Last update time: <time>\n\n\n' "$1"
}
# Compares a data file with the expected bytes in $work/expected.
compare() {
  if ! diff "$work/expected" <(masked "$1") >"$work/diff"; then
    cat "$work/diff"
    fail "$1 differs"
  fi
}
# expectlist <file> <description> <line>...
expectlist() {
  local name=$1 description=$2
  shift 2
  { header "$description"; printf '\n# alert list\n'; printf '%s\n' "$@"; } >"$work/expected"
  compare "$name"
}
expectlist annual_alerts.dat "data file for annual alarms" "12-24 - Buy the tree"
expectlist monthly_alerts.dat "data file for monthly alarms" "05 - Pay the rent"
expectlist single_alerts.dat "data file for simple alarms" "$year-12-24 18:05 - Call grandma"
expectlist weekly_alerts.dat "data file for weekly alarms" "21:00 1234567 - Pills" "10:00 67 - Long run"
{ header "Configuration File"; printf '# annual alarms advance\n8\n\n# monthly alarms advance\n3\n\n'
  printf '# reminder sound: 0 none, 1 when a reminder appears, 2 then each minute until answered\n1\n'; } >"$work/expected"
compare config.dat

# Export, alarms removed from every list, Import replacing all: the five files come back
# as they were; then a line added by hand while the panel is open survives a
# Create. The file dialogs are the system's own: a path typed and Enter.
files="config.dat single_alerts.dat monthly_alerts.dat annual_alerts.dat weekly_alerts.dat"
for name in $files; do masked "$name" >"$work/before-$name"; done
named() { [ -n "$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null)" ]; }
# choosefile <dialog title> <path>: types the path into the file dialog.
choosefile() {
  waitfor named "$1" || fail "no file dialog \"$1\""
  sleep 0.5
  local dialog
  dialog=$(xdotool search --onlyvisible --name "^$1\$" | head -n 1)
  xdotool windowfocus --sync "$dialog" 2>/dev/null || true
  xdotool key ctrl+l ctrl+a
  xdotool type --delay 20 "$2"
  sleep 0.3
  xdotool key Return
}
# answer <screenshot name> <keys...>: waits for a dialog, keeps its picture,
# presses keys. The toolkit shows its dialogs in one window, so the caller
# waits for what the answer does.
answer() {
  local name=$1
  shift
  waitfor hasvisibledialog || fail "no dialog for $name"
  sleep 0.3
  import -display "$DISPLAY" -window "$(visible | grep -vx "$wid" | head -n 1)" "$shots/$name.png"
  xdotool key "$@"
}

"$bin/ruvelloconfig" >"$work/out2" 2>"$work/err2" &
pid=$!
waitfor haswindow "$pid" || { cat "$work/out2" "$work/err2"; fail "the window did not appear again"; }
wid=$(windowsof "$pid" | head -n 1)
sleep 0.5
xdotool windowraise "$wid"
click 511 22
click 110 325
choosefile "Export all Ruvello data to" "$work/export.txt"
answer export-message Return
waitfor nodialog || fail "the export's message stayed open"
[ "$(head -n 1 "$work/export.txt")" = "Ruvello export 2" ] || fail "the export's first line"
for tab in 66 200 295 405; do
  click "$tab" 22
  click 150 55
  click 525 65
  answer "remove-$tab" Tab space
  waitfor nodialog || fail "the question of Remove stayed open"
done
waitfor datalines annual_alerts.dat 0 || fail "the annual alarm was not removed"
datalines single_alerts.dat 0 && datalines monthly_alerts.dat 0 && datalines weekly_alerts.dat 1 ||
  fail "the lists were not emptied"
click 511 22
click 420 325
choosefile "Import Ruvello data from" "$work/export.txt"
# The focus starts on "Add to mine"; Shift+Tab moves it to "Replace all".
answer import-question shift+Tab space
waitfor datalines annual_alerts.dat 1 || fail "nothing was imported"
answer import-message Return
waitfor nodialog || fail "the import's message stayed open"
for name in $files; do
  diff "$work/before-$name" <(masked "$name") >"$work/diff" || { cat "$work/diff"; fail "$name after the import"; }
done
[ -n "$(ls "$HOME/.local/state/ruvello/" | grep '^before-import-.*\.txt$')" ] || fail "no copy before the import"
printf '07-07 - added by hand\n' >>"$data/annual_alerts.dat"
click 66 22
entervalue 100 360 3
entervalue 220 360 3
entervalue 250 335 "after the import"
click 505 340
waitfor holds annual_alerts.dat "03-03 - after the import" || fail "Create after the import"
holds annual_alerts.dat "07-07 - added by hand" || fail "the line added by hand was overwritten"
shot annual-after-import
xdotool mousemove --window "$wid" 300 200 key Escape
waitfor ended "$pid" || fail "Escape did not close the panel"
pid=""
echo "all five files as expected, export and import round trip whole; screenshots in $shots"
