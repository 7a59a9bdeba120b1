#!/usr/bin/env bash
# The real ruvellomsgbox.exe under Wine, for a user whose profile name holds a
# letter outside the code page ("Zoë", so C:\users\Zoë): without exactly one
# argument it ends with status 2; with an alarm line holding non-ASCII
# letters, '*', '%', '&', '|', '^' and a closing backslash it shows a window
# captioned "Ruvello" (kept as a screenshot in the build folder,
# screenshots/msgbox.png, for a person to read it) that ignores Return while
# it has just got the focus and closes on it afterwards, with status 0.
# Alt+S then puts a reminder off into the profile's list of simple alarms,
# whose CR LF lines it keeps, adding the message whole at the preselected
# delay.
# NEEDS: bin/ruvellomsgbox.exe
export USER='Zoë'
. "$(dirname "$0")/common.sh"
makeprefix
shots=$build/screenshots
mkdir -p "$shots"

status=0
runexe 60 "$bin/ruvellomsgbox.exe" >"$work/usage.out" 2>"$work/usage.err" || status=$?
if [ "$status" -eq 2 ] && grep -q '^usage: ruvellomsgbox "alarm line"' "$work/usage.err"; then
  ok "without an argument: the usage and status 2"
else
  fail "without an argument: status $status, standard error: $(cat "$work/usage.err")"
fi

# findbox: the visible window captioned Ruvello, waited for up to 60 s.
findbox() {
  local window="" deadline=$((SECONDS + 60))
  while [ -z "$window" ] && [ $SECONDS -lt $deadline ]; do
    window=$(xdotool search --onlyvisible --name '^Ruvello$' 2>/dev/null | head -n1)
    [ -n "$window" ] || sleep 0.2
  done
  echo "$window"
}

# waitgone PID: the box ended within 20 s; sets status to its exit status.
waitgone() {
  timeout 20 tail --pid="$1" -f /dev/null
  status=0
  kill -0 "$1" 2>/dev/null && { fail "the box did not close"; kill "$1"; }
  wait "$1" || status=$?
}

# pressuntilgone PID KEY: presses KEY (the box has the focus) until the box
# ends, for at most 30 s, as it hears no key before its input guard has
# passed; sets presses to the number of presses it took, and status.
pressuntilgone() {
  local deadline=$((SECONDS + 30))
  presses=0
  while kill -0 "$1" 2>/dev/null && [ $SECONDS -lt $deadline ]; do
    xdotool key "$2" 2>/dev/null
    presses=$((presses + 1))
    sleep 0.2
  done
  waitgone "$1"
}

line='05-17 - Zoë says *hi*: 100% & more | less ^ 5 € to C:\temp\'
startexe "$bin/ruvellomsgbox.exe" "$line" >"$work/out" 2>"$work/err"
pid=$!
window=$(findbox)
if [ -n "$window" ]; then
  ok "the message window captioned Ruvello appeared"
  # The picture once the box has drawn its window (more than two colours).
  colours=0
  deadline=$((SECONDS + 30))
  while [ "$colours" -le 2 ] && [ $SECONDS -lt $deadline ]; do
    import -display "$DISPLAY" -window "$window" "$shots/msgbox.png" 2>/dev/null || break
    colours=$(convert "$shots/msgbox.png" -format '%k' info: 2>/dev/null || echo 0)
    [ "$colours" -gt 2 ] || sleep 0.5
  done
  [ "$colours" -gt 2 ] || fail "no screenshot of the drawn window"
  # Return at once, then again until the box closes. The Windows box tells
  # nothing when it has handled a key, so the first one is judged by what
  # follows: a box gone before the second press was closed by the first.
  # (A second press sent before the box handled the first one lets a box
  # that took it pass; a busy machine never makes a sound box fail here.)
  xdotool windowfocus --sync "$window" key Return 2>/dev/null
  sleep 0.2
  if kill -0 "$pid" 2>/dev/null; then
    ok "Return at once did not close it"
    pressuntilgone "$pid" Return
    [ "$status" -eq 0 ] && ok "Return closed it later with status 0" || fail "the message box ended with status $status"
  else
    fail "Return closed it as it got the focus"
    waitgone "$pid"
  fi
else
  fail "no window captioned Ruvello appeared"
fi

data="$(profilepath)/AppData/Roaming/ruvello/config"
mkdir -p "$data"
list=$data/single_alerts.dat
printf '# alert list\r\n2027-01-01 00:00 - new year\r\n2026-06-01 10:00 - Zoë'"'"'s dentist\r\n' >"$list"
startexe "$bin/ruvellomsgbox.exe" '12-24 - Zoë buys the tree (5 €)' >"$work/out" 2>"$work/err"
pid=$!
window=$(findbox)
if [ -n "$window" ]; then
  xdotool windowfocus --sync "$window" 2>/dev/null
  before=$(TZ=UTC date -d '+10 minutes' '+%Y-%m-%d %H:%M')
  # A second Alt+S after the snooze finds the window gone; the lines below
  # would show a snooze written twice.
  pressuntilgone "$pid" alt+s
  after=$(TZ=UTC date -d '+10 minutes' '+%Y-%m-%d %H:%M')
  [ "$status" -eq 0 ] && ok "Alt+S closed the box with status 0" || fail "Alt+S: status $status, $(cat "$work/err")"
  grep -a '^[0-9]' "$list" >"$work/lines"
  if [ "$(sed -n 1,2p "$work/lines")" == $'2027-01-01 00:00 - new year\r\n2026-06-01 10:00 - Zoë\'s dentist\r' ]; then
    ok "the list kept its lines"
  else
    fail "the list's lines: $(cat -A "$work/lines")"
  fi
  added=$(sed -n 3p "$work/lines")
  if [ "$added" == "$before - Zoë buys the tree (5 €)"$'\r' ] || [ "$added" == "$after - Zoë buys the tree (5 €)"$'\r' ]; then
    ok "snoozed to $before with the message whole, in a CR LF line"
  else
    fail "snoozed as '$(printf '%s' "$added" | cat -A)', expected '$before - Zoë buys the tree (5 €)'"
  fi
  [ "$(wc -l <"$work/lines")" -eq 3 ] || fail "the list holds $(wc -l <"$work/lines") data lines, expected 3"
else
  fail "no window to snooze appeared"
fi
finish
