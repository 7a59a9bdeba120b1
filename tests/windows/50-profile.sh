#!/usr/bin/env bash
# ruvelloservice.exe under Wine for a user whose profile name holds a
# non-ASCII letter ("Zoë", so C:\users\Zoë), installed in a folder whose
# path holds blanks and non-ASCII letters: it creates the five data files in
# the profile's AppData folder, names them in its notices in UTF-8, and
# announces a due alarm through the recording message box beside it.
export USER='Zoë'
. "$(dirname "$0")/common.sh"
makeprefix
[ -f "$recorder" ] || { fail "the recording message box was not built ($recorder)"; finish; exit; }
data="$(profilepath)/AppData/Roaming/ruvello/config"
installed="$work/Program Files/Ruvello für Zoë"
record=$work/record.txt
installrecorder "$installed"
cd "$work"


recorded() { [ -f "$record" ] && [ "$(wc -l <"$record")" -ge 1 ]; }

mkdir -p "$data"
printf '# alert list\r\n05-17 - Zoë'"'"'s birthday\r\n' >"$data/annual_alerts.dat"
env $fakeclock FAKETIME="@2026-05-16 10:00:05" "$wine" "$installed/ruvelloservice.exe" >"$work/out" 2>"$work/err" &
service=$!
if waitfor 60 recorded; then
  [ "$(cat "$record")" = "1|05-17 - Zoë's birthday" ] && ok "the alarm arrived whole from a profile named Zoë" || \
    fail "recorded: $(cat "$record")"
else
  fail "nothing was announced; standard error: $(cat "$work/err")"
fi
for name in config.dat single_alerts.dat monthly_alerts.dat weekly_alerts.dat; do
  if [ -f "$data/$name" ] && [ ! -s "$data/$name" ]; then
    ok "$name created empty in C:\\users\\Zoë"
  else
    fail "$name was not created empty in $data"
  fi
done
if grep -qF 'C:\users\Zoë\AppData\Roaming\ruvello\config\config.dat"' "$work/out"; then
  ok "the notice names the file in UTF-8"
else
  fail "notices: $(cat "$work/out")"
fi
kill "$service" 2>/dev/null
wait "$service" 2>/dev/null
finish
