#!/usr/bin/env bash
# The real ruvelloservice.exe under Wine: the first start creates the five data
# files empty with a notice each on standard output; a second copy ends at
# once with status 0; under a fake clock a due simple, monthly and annual
# alarm reach a recording ruvellomsgbox.exe beside the service whole (quotes
# turned into '*', closing backslashes, '%', '&', '|', '^', '<', '>' and
# non-ASCII letters), although the service runs from another working folder;
# the empty configuration gives the configuration message; and with no
# message box anywhere the first due alarm ends the service with the
# launch-failure text, in an error box and on standard error, and status 1.
. "$(dirname "$0")/common.sh"
makeprefix

[ -f "$recorder" ] || { fail "the recording message box was not built ($recorder)"; finish; exit; }
profile=$(profilepath)
user=$(basename "$profile")
data=$profile/AppData/Roaming/ruvello/config
windowsdata="C:\\users\\$user\\AppData\\Roaming\\ruvello\\config"
installed="$work/Ruvello folder"
mkdir -p "$work/elsewhere"
record=$work/record.txt
installrecorder "$installed"
cd "$work/elsewhere"


fivefiles() { [ -f "$data/config.dat" ] && [ -f "$data/single_alerts.dat" ] && [ -f "$data/monthly_alerts.dat" ] && [ -f "$data/annual_alerts.dat" ] && [ -f "$data/weekly_alerts.dat" ]; }
recorded() { [ -f "$record" ] && [ "$(wc -l <"$record")" -ge "$1" ]; }
stopservice() {
  kill "$1" 2>/dev/null
  wait "$1" 2>/dev/null
}
# Writes a data file with CR LF lines, as the configurator on Windows does.
writelist() {
  local name=$1
  shift
  printf '%s\r\n' "# alert list" "$@" >"$data/$name"
}

# 1. First start: five files, empty, one notice each; a second copy ends at once.
startexe "$installed/ruvelloservice.exe" >"$work/first.out" 2>"$work/first.err"
first=$!
if waitfor 60 fivefiles; then
  sleep 1
  empty=yes
  for name in config.dat single_alerts.dat monthly_alerts.dat annual_alerts.dat weekly_alerts.dat; do
    [ -s "$data/$name" ] && empty=no
    printf 'The following file has been created:\r\n\t"%s\\%s"\r\n' "$windowsdata" "$name"
  done >"$work/expected.out"
  [ "$empty" = yes ] && ok "the five data files were created empty in $windowsdata" || fail "a new data file is not empty"
  if cmp -s "$work/expected.out" "$work/first.out"; then
    ok "one notice per file on standard output, CR LF ended"
  else
    fail "the notices differ:"; diff <(cat -A "$work/expected.out") <(cat -A "$work/first.out")
  fi
  status=0
  runexe 60 "$installed/ruvelloservice.exe" >"$work/second.out" 2>"$work/second.err" || status=$?
  if [ "$status" -eq 0 ] && [ "$(tr -d '\r' <"$work/second.err")" = "Ruvello service is already running." ]; then
    ok "a second copy ends with status 0 and says the service is running"
  else
    fail "the second copy: status $status, standard error: $(cat -A "$work/second.err")"
  fi
else
  fail "the service did not create the five data files"
fi
stopservice "$first"

# 2. Due alarms of each kind reach the message box beside the service, whole.
simple='2026-05-17 09:00 - say "hi" and copy to C:\temp\'
monthly='17 - 100% & more | less ^ caret <in> %PATH% \\'
annual='05-17 - Zoë'"'"'s café costs 5 € 🎂 \ a\"b'
writelist single_alerts.dat "$simple" "2026-05-17 09:30 - not yet"
writelist monthly_alerts.dat "$monthly" "25 - not yet"
writelist annual_alerts.dat "$annual" "06-30 - not yet"
# 17 May 2026 is a Sunday.
weekly='09:00 67 - Sonntag im Café ☕ "late"'
writelist weekly_alerts.dat "$weekly" "09:00 12345 - not on a Sunday"
: >"$data/config.dat"
rm -f "$record" "$work/due.record"
RUVELLO_RECORD_DUE=$(windowspath "$work/due.record") env $fakeclock FAKETIME="@2026-05-17 09:00:05" "$wine" \
  "$installed/ruvelloservice.exe" >"$work/due.out" 2>"$work/due.err" &
due=$!
if waitfor 60 recorded 4; then
  sleep 2
  for line in "$simple" "$monthly" "$annual" "$weekly"; do printf '1|%s\n' "${line//\"/*}"; done | sort >"$work/expected.record"
  if sort "$record" | cmp -s - "$work/expected.record"; then
    ok "the simple, monthly, annual and weekly alarm arrived whole, each as the only argument"
  else
    fail "the recorded lines differ:"; diff "$work/expected.record" <(sort "$record")
  fi
  # Each box is told the minute it announces, through the shell's start.
  if [ "$(tr -d '\r' <"$work/due.record" | sort | tr '\n' ,)" = "2026-05-17 00:00,2026-05-17 00:00,2026-05-17 09:00,2026-05-17 09:00," ]; then
    ok "RUVELLO_DUE reached each box: the simple and weekly alarm's minute, the monthly and annual alarm's date"
  else
    fail "RUVELLO_DUE as the boxes saw it: $(cat -A "$work/due.record" 2>/dev/null)"
  fi
else
  fail "fewer than four alarms were announced: $(cat "$record" 2>/dev/null)"
fi
if grep -qF "Configuration file syntax error: using default values." "$work/due.err"; then
  ok "the empty configuration gave the configuration message on standard error"
else
  fail "no configuration message: $(cat "$work/due.err")"
fi
stopservice "$due"

# 3. No message box beside the service nor on the search path; a valid
# configuration, so the launch-failure text is all that standard error holds.
printf '# annual alarms advance\r\n7\r\n\r\n# monthly alarms advance\r\n3\r\n' >"$data/config.dat"
# The service's own memory of what it announced is left out: this copy starts
# as a first start would, and the same alarms are due again.
rm -rf "$profile/AppData/Local/ruvello"
alone="$work/alone"
mkdir -p "$alone"
cp "$bin/ruvelloservice.exe" "$alone/"
rm -f "$record"
env $fakeclock FAKETIME="@2026-05-17 09:00:05" "$wine" "$alone/ruvelloservice.exe" >"$work/alone.out" 2>"$work/alone.err" &
lonely=$!
closebox 60 && ok "the error box captioned Ruvello appeared and was closed" || fail "no error box captioned Ruvello"
status=0
timeout 30 tail --pid="$lonely" -f /dev/null || true
kill -0 "$lonely" 2>/dev/null && { fail "the service did not end"; kill "$lonely"; }
wait "$lonely" || status=$?
expected=$(printf 'Ruvello cannot run "ruvellomsgbox.exe"\n\n  Fatal error: the application is quitting.')
if [ "$status" -eq 1 ] && [ "$(tr -d '\r' <"$work/alone.err")" = "$expected" ]; then
  ok "without a message box the service ends with status 1 and the launch-failure text"
else
  fail "launch failure: status $status, standard error: $(cat -A "$work/alone.err")"
fi
[ -f "$record" ] && fail "something was recorded without a message box" || true
finish
