#!/usr/bin/env bash
# The configuration panel's command-line forms under Wine, run by
# ruvelloconfigcommands.exe, a test program built from ruvelloconfig.exe's
# own command code without the panel (which needs FLTK for Windows): --export to a file
# whose name holds a letter outside the ANSI code page (the wide command line
# must carry it), --import --merge of that file changing nothing, --import of
# a bad file refused with status 1, --help on standard output; --add of a
# line outside the ANSI code page into a CR LF list, --list and --upcoming
# showing it on standard output, --remove taking it out and then saying "no
# such alarm". Every message reaches the redirected standard error; no
# window opens.
. "$(dirname "$0")/common.sh"

makeprefix
commands=$build/tests/windows/ruvelloconfigcommands.exe
[ -f "$commands" ] || { fail "the command-line test program was not built ($commands)"; finish; exit; }
data=$(profilepath)/AppData/Roaming/ruvello/config
mkdir -p "$data"
printf '12-24 - Buy the tree\n01-15 - caf\xc3\xa9\n' >"$data/annual_alerts.dat"
printf '# alert list\r\n07:30 12345 - caf\xc3\xa9\r\n' >"$data/weekly_alerts.dat"
printf '14\n2\n' >"$data/config.dat"

export=$work/export-žluť.txt
runexe 60 "$commands" --export "$(windowspath "$export")" >"$work/out" 2>"$work/err"
status=$?
[ "$status" = 0 ] || fail "--export ended with status $status: $(cat "$work/err")"
grep -q '^Exported 0 simple, 0 monthly, 2 annual and 1 weekly alarms' "$work/err" && ok "--export told what it wrote" \
  || fail "--export said: $(cat "$work/err")"
[ "$(head -n 1 "$export" 2>/dev/null | tr -d '\r')" = "Ruvello export 2" ] && ok "the export is at its UTF-8 name" \
  || fail "no export at $export"
grep -q $'^01-15 - caf\xc3\xa9\r$' "$export" && grep -q $'^\\[weekly alarms\\]\r$' "$export" &&
  grep -q $'^07:30 12345 - caf\xc3\xa9\r$' "$export" && ok "the export holds the lines byte for byte, with CR LF" \
  || fail "the export lacks the line: $(od -c "$export" | tail -5)"

runexe 60 "$commands" --import "$(windowspath "$export")" --merge >"$work/out" 2>"$work/err"
status=$?
[ "$status" = 0 ] || fail "--import --merge ended with status $status: $(cat "$work/err")"
grep -q 'before-import-' "$work/err" && ok "--import --merge named the copy made before" \
  || fail "--import --merge said: $(cat "$work/err")"
[ "$(grep -c '^[0-9]' "$data/annual_alerts.dat")" = 2 ] && ok "merging its own export added nothing" \
  || fail "annual list after the merge: $(cat "$data/annual_alerts.dat")"
ls "$(profilepath)/AppData/Local/ruvello/" 2>/dev/null | grep -q '^before-import-.*\.txt$' \
  && ok "the copy lies in %LOCALAPPDATA%\\ruvello" || fail "no copy in %LOCALAPPDATA%\\ruvello"

printf 'not an export\r\n' >"$work/bad.txt"
runexe 60 "$commands" --import "$(windowspath "$work/bad.txt")" >"$work/out" 2>"$work/err"
status=$?
[ "$status" = 1 ] && grep -q 'line 1: its first line is not' "$work/err" && ok "a bad file is refused with status 1" \
  || fail "bad file: status $status, $(cat "$work/err")"
[ "$(grep -c '^[0-9]' "$data/annual_alerts.dat")" = 2 ] || fail "the bad file changed the data"

runexe 60 "$commands" --help >"$work/out" 2>"$work/err"
status=$?
[ "$status" = 0 ] && grep -q -- '--import FILE --merge' "$work/out" && ok "--help lists the forms" \
  || fail "--help: status $status, $(cat "$work/out" "$work/err")"
tomorrow=$(date -u -d tomorrow +%F)
line="$tomorrow 10:00 - caf\xc3\xa9 \xc5\xbelu\xc5\xa5"
line=$(printf "$line")
runexe 60 "$commands" --add "$line" >"$work/out" 2>"$work/err"
status=$?
[ "$status" = 0 ] && grep -qxF "$line"$'\r' "$data/single_alerts.dat" && ok "--add wrote the line whole, with CR LF" \
  || fail "--add: status $status, $(cat "$work/err"), list: $(od -c "$data/single_alerts.dat" | tail -4)"
runexe 60 "$commands" --list >"$work/out" 2>"$work/err"
[ "$(tr -d '\r' <"$work/out" | sed -n '1,2p')" = "[simple alarms]
$line" ] && ok "--list shows it under its heading" || fail "--list: $(cat "$work/out" "$work/err")"
runexe 60 "$commands" --upcoming 2 >"$work/out" 2>"$work/err"
tr -d '\r' <"$work/out" | grep -qxF "$tomorrow 10:00"$'\t'"$line" && ok "--upcoming lists it at its minute" \
  || fail "--upcoming: $(cat "$work/out" "$work/err")"
runexe 60 "$commands" --remove "$line" >"$work/out" 2>"$work/err"
status=$?
[ "$status" = 0 ] && ! grep -qF "$line" "$data/single_alerts.dat" && ok "--remove took it out" \
  || fail "--remove: status $status, $(cat "$work/err")"
runexe 60 "$commands" --remove "$line" >"$work/out" 2>"$work/err"
status=$?
[ "$status" = 1 ] && grep -q 'no such alarm' "$work/err" && ok "a second --remove says there is no such alarm" \
  || fail "second --remove: status $status, $(cat "$work/err")"
finish
