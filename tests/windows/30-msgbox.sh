#!/usr/bin/env bash
# The real ruvellomsgbox.exe under Wine: without exactly one argument it ends
# with status 2; with an alarm line holding non-ASCII letters, '*', '%', '&',
# '|', '^' and a closing backslash it shows a window captioned "Ruvello"
# (kept as a screenshot in the build folder, screenshots/msgbox.png, for a
# person to read the line in it) that Return closes, ending with status 0.
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

line='05-17 - Zoë says *hi*: 100% & more | less ^ 5 € to C:\temp\'
startexe "$bin/ruvellomsgbox.exe" "$line" >"$work/out" 2>"$work/err"
pid=$!
window=""
deadline=$((SECONDS + 60))
while [ -z "$window" ] && [ $SECONDS -lt $deadline ]; do
  window=$(xdotool search --onlyvisible --name '^Ruvello$' 2>/dev/null | head -n1)
  [ -n "$window" ] || sleep 0.2
done
if [ -n "$window" ]; then
  ok "the message window captioned Ruvello appeared"
  sleep 1
  import -display "$DISPLAY" -window "$window" "$shots/msgbox.png" 2>/dev/null || fail "no screenshot of the window"
  xdotool windowfocus --sync "$window" key Return 2>/dev/null
  timeout 20 tail --pid="$pid" -f /dev/null
  status=0
  kill -0 "$pid" 2>/dev/null && { fail "Return did not close the window"; kill "$pid"; }
  wait "$pid" || status=$?
  [ "$status" -eq 0 ] && ok "Return closed it with status 0" || fail "the message box ended with status $status"
else
  fail "no window captioned Ruvello appeared"
fi
finish
