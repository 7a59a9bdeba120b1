#!/usr/bin/env bash
# The Windows installer under Wine, as a person would use it (silently, /S):
#  - it installs the three programs into Program Files\Ruvello, a Start-menu
#    shortcut "Ruvello" to the configuration panel and a shortcut to the
#    service in the user's Startup folder, registers its uninstaller, and
#    starts the service, which then makes the data files; the Startup
#    shortcut, opened as at log-on, starts the service again;
#  - installed again while that service runs (an update), it replaces the
#    programs, whose file was in use, and one service runs afterwards;
#  - the uninstaller ends the running service, removes the programs, the
#    shortcuts and the registration, and leaves the data folder as it was.
# Named to run last of the Windows scripts: it is the slowest.
# NEEDS: ruvello-2.0-beta-setup.exe
. "$(dirname "$0")/common.sh"

setup=$build/ruvello-2.0-beta-setup.exe
[ -f "$setup" ] || { echo "FAIL: $setup was not built"; exit 1; }
makeprefix

profile=$(profilepath)
installed=$WINEPREFIX/drive_c/Program\ Files/Ruvello
menu=$profile/AppData/Roaming/Microsoft/Windows/Start\ Menu/Programs
data=$profile/AppData/Roaming/ruvello/config
uninstkey='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Ruvello'

# Process ids of the running copies of a program in this test's prefix (other
# prefixes may run the same program at the same time).
running() {
  local pid
  for pid in $(pgrep -f "$1" 2>/dev/null); do
    tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX" && echo "$pid"
  done
}

# Waits up to 20 s for the count of running services to become $1.
waitforservices() {
  local deadline=$((SECONDS + 20))
  while [ $SECONDS -lt $deadline ]; do
    [ "$(running 'ruvelloservice\.exe' | wc -l)" -eq "$1" ] && return 0
    sleep 0.2
  done
  return 1
}

# The target a shortcut names, read from the .lnk file's own text (the path
# is stored in it as UTF-16 and in the ANSI code page).
linknames() {
  local text
  text=$(strings -a "$1"; strings -a -el "$1")
  grep -q -i -e "$2" <<<"$text"
}

# --- install ---------------------------------------------------------------------
if runexe 120 "$setup" /S >"$work/setup.out" 2>&1; then
  ok "setup.exe /S ends with status 0"
else
  cat "$work/setup.out"; fail "setup.exe /S failed"
fi
for program in ruvelloconfig ruvelloservice ruvellomsgbox; do
  if cmp -s "$bin/$program.exe" "$installed/$program.exe"; then
    ok "$program.exe is installed in Program Files\\Ruvello"
  else
    fail "$program.exe is not installed as built in $installed"
  fi
done
[ -f "$installed/Uninstall.exe" ] && ok "the uninstaller is installed" || fail "no Uninstall.exe in $installed"

if [ -f "$menu/Ruvello.lnk" ] && linknames "$menu/Ruvello.lnk" 'ruvelloconfig\.exe'; then
  ok "Start menu: Ruvello.lnk opens ruvelloconfig.exe"
else
  ls -la "$menu" 2>&1; fail "no Start-menu shortcut Ruvello.lnk to ruvelloconfig.exe"
fi
# Wine spells the folder "StartUp"; Windows file names ignore case.
startupfolder() { find "$menu" -mindepth 1 -maxdepth 1 -iname startup | head -1; }
startup=$(find "$(startupfolder)" -name '*.lnk' 2>/dev/null | head -1)
if [ -n "$startup" ] && linknames "$startup" 'ruvelloservice\.exe'; then
  ok "Startup: $(basename "$startup") names ruvelloservice.exe"
else
  find "$menu" 2>&1; fail "no shortcut to ruvelloservice.exe in the Startup folder"
fi
if runexe 60 reg query "$uninstkey" /v UninstallString 2>/dev/null | grep -q 'Uninstall\.exe'; then
  ok "the uninstaller is registered with Windows"
else
  fail "no UninstallString under $uninstkey"
fi

if waitforservices 1; then
  ok "the service runs after the install"
else
  fail "$(running 'ruvelloservice\.exe' | wc -l) services run after the install, not 1"
fi
# The Startup shortcut is what starts the service at each log-on: opened as
# the shell opens it then, it must start the installed service again.
runexe 30 taskkill /F /IM ruvelloservice.exe >/dev/null 2>&1
if ! waitforservices 0; then
  fail "taskkill did not end the service"
elif [ -n "$startup" ] && runexe 30 start /unix "$startup" >/dev/null 2>&1 && waitforservices 1; then
  ok "opening the Startup shortcut starts the service"
else
  fail "opening the Startup shortcut does not start the service"
fi
for name in config.dat single_alerts.dat monthly_alerts.dat annual_alerts.dat weekly_alerts.dat; do
  for _ in $(seq 50); do [ -f "$data/$name" ] && break; sleep 0.2; done
  [ -f "$data/$name" ] || fail "the started service did not create $name in $data"
done

# --- install again over the running service ------------------------------------------
touch -d '2001-01-01' "$installed/ruvelloservice.exe"
if runexe 120 "$setup" /S >"$work/setup2.out" 2>&1; then
  ok "setup.exe /S again, while the service runs, ends with status 0"
else
  cat "$work/setup2.out"; fail "setup.exe /S over a running service failed"
fi
if [ "$(stat -c %Y "$installed/ruvelloservice.exe")" -gt "$(date -d '2001-01-02' +%s)" ] && \
   cmp -s "$bin/ruvelloservice.exe" "$installed/ruvelloservice.exe"; then
  ok "the update replaced the program file of the running service"
else
  fail "the update left the old ruvelloservice.exe in place"
fi
if waitforservices 1; then
  ok "one service runs after the update"
else
  fail "$(running 'ruvelloservice\.exe' | wc -l) services run after the update, not 1"
fi

# --- uninstall -----------------------------------------------------------------
echo "an alarm list of the user's" >"$work/mark"
cp "$work/mark" "$data/keep-me.txt"
datafiles=$(cd "$data" && ls | sort)
# The uninstaller copies itself to a temporary folder, starts the copy and
# returns; the copy's end is awaited through the prefix's server, which ends
# once no process of the prefix is left, so a service left running would
# keep it (and this wait fails after 60 s).
if runexe 120 "$installed/Uninstall.exe" /S >"$work/uninstall.out" 2>&1; then
  ok "Uninstall.exe /S ends with status 0"
else
  cat "$work/uninstall.out"; fail "Uninstall.exe /S failed"
fi
if timeout 60 "$wineserver" -w; then
  ok "every process of the prefix ended after the uninstall"
else
  fail "processes still run 60 s after the uninstall: $(for pid in $(running '\.exe'); do ps -o args= -p "$pid"; done | tr '\n' ';')"
fi
[ -z "$(running 'ruvelloservice\.exe')" ] && ok "the uninstaller ended the service" || fail "the service still runs"
if [ ! -e "$installed" ]; then
  ok "Program Files\\Ruvello is removed"
else
  ls -la "$installed"; fail "$installed is left behind"
fi
[ ! -e "$menu/Ruvello.lnk" ] || fail "the Start-menu shortcut is left behind"
[ -z "$(find "$(startupfolder)" -name '*.lnk' 2>/dev/null)" ] || fail "the Startup shortcut is left behind"
if runexe 60 reg query "$uninstkey" >/dev/null 2>&1; then
  fail "the registration $uninstkey is left behind"
fi
if [ "$(cd "$data" 2>/dev/null && ls | sort)" = "$datafiles" ] && cmp -s "$work/mark" "$data/keep-me.txt"; then
  ok "the data folder is left as it was"
else
  fail "the uninstaller changed the data folder $data"
fi
finish
