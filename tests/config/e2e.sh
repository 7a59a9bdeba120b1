#!/usr/bin/env bash
# Drives the real ruvelloconfig as a person would, with xdotool on the X
# server in $DISPLAY: creates an alarm on each of the three alarm tabs, sorts,
# removes a line answering "Yes", steps an advance spinner, has a second copy
# refused, and closes the window. Then checks the four data files byte for byte
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

"$bin/ruvelloconfig" >"$work/out" 2>"$work/err" &
pid=$!
waitfor haswindow "$pid" || { cat "$work/err"; fail "the window did not appear"; }
wid=$(windowsof "$pid" | head -n 1)
[ "$(xdotool getwindowname "$wid")" = "Ruvello 2.0 beta - Configuration Panel" ] || fail "window title"
waitfor test -e "$data/annual_alerts.dat" || fail "the data files were not created"
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

# Simple tab: next year, 24 December at 18:05.
click 327 22
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
click 444 22
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
masked() { sed -E '5s/^(# Last update time: )[0-9]{4}-[0-9]{2}-[0-9]{2} [0-9]{2}:[0-9]{2}$/\1<time>/' "$data/$1"; }
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
{ header "Configuration File"; printf '# annual alarms advance\n8\n\n# monthly alarms advance\n3\n'; } >"$work/expected"
compare config.dat

# Export, every alarm removed, Import replacing all: the four files come back
# as they were; then a line added by hand while the panel is open survives a
# Create. The file dialogs are the system's own: a path typed and Enter.
files="config.dat single_alerts.dat monthly_alerts.dat annual_alerts.dat"
for name in $files; do masked "$name" >"$work/before-$name"; done
visible() { xdotool search --onlyvisible --pid "$pid" 2>/dev/null || true; }
hasvisibledialog() { [ "$(visible | wc -l)" -ge 2 ]; }
nodialog() { [ "$(visible | wc -l)" -le 1 ]; }
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
waitfor haswindow "$pid" || fail "the window did not appear again"
wid=$(windowsof "$pid" | head -n 1)
sleep 0.5
xdotool windowraise "$wid"
click 444 22
click 110 325
choosefile "Export all Ruvello data to" "$work/export.txt"
answer export-message Return
waitfor nodialog || fail "the export's message stayed open"
[ "$(head -n 1 "$work/export.txt")" = "Ruvello export 1" ] || fail "the export's first line"
for tab in 66 200 327; do
  click "$tab" 22
  click 150 55
  click 525 65
  answer "remove-$tab" Tab space
  waitfor nodialog || fail "the question of Remove stayed open"
done
waitfor datalines annual_alerts.dat 0 || fail "the annual alarm was not removed"
datalines single_alerts.dat 0 && datalines monthly_alerts.dat 0 || fail "the lists were not emptied"
click 444 22
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
echo "all four files as expected, export and import round trip whole; screenshots in $shots"
