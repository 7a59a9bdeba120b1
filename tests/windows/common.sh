# shellcheck shell=bash
# Sourced by each test script in tests/windows/, which tests/stages/70-windows.sh
# runs one by one after the cross build (a script can also be run alone:
# RUVELLO_WIN_BUILD=<Windows build folder> bash tests/windows/<script>.sh,
# with DISPLAY set).
#
# Sourcing it makes a temporary folder $work (removed on exit) holding HOME,
# XDG_RUNTIME_DIR, XDG_STATE_HOME and XDG_CONFIG_HOME, and sets WINEPREFIX to
# a fresh prefix $work/wine, WINEARCH=win64, WINEDEBUG=-all. $build is the
# Windows build folder and $bin its programs. Then a script:
#   - may set USER (Wine names the profile folder after it) and calls
#     makeprefix, which makes the prefix (wineboot -i) and waits for it;
#   - runs programs with runexe SECONDS PROGRAM.exe ARGUMENTS..., which
#     returns the program's status, or 124 when it was ended after SECONDS;
#     startexe PROGRAM.exe ARGUMENTS... starts one in the background
#     (its process id in $!);
#   - closes a modal box captioned "Ruvello" with closebox [SECONDS];
#   - reports with ok/fail and ends with `finish`, whose status is 1 when
#     any check failed.
# On exit every process of the prefix is ended (wineserver -k) and $work is
# removed; a script that sets an EXIT trap of its own calls endprefix in it.
# Paths: windowspath gives the Windows form (drive Z:) of a Linux path,
# profilepath the Linux path of the prefix's profile folder.

set -uo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
build=${RUVELLO_WIN_BUILD:-$top/build-win}
bin=$build/bin
# The tests' own ruvellomsgbox.exe, which records the line it is handed.
recorder=$build/tests/windows/recording/ruvellomsgbox.exe
wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver64
[ -x "$wineserver" ] || wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)

work=$(mktemp -d)
export HOME=$work/home XDG_RUNTIME_DIR=$work/run XDG_STATE_HOME=$work/state XDG_CONFIG_HOME=$work/config
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" "$XDG_STATE_HOME" "$XDG_CONFIG_HOME"
chmod 700 "$XDG_RUNTIME_DIR"
export WINEPREFIX=$work/wine WINEARCH=win64 WINEDEBUG=-all
# Windows programs read TZ in a form of their own; without it they keep UTC,
# as the Linux side of Wine does when TZ is unset too.
unset TZ
# No wine-mono or wine-gecko installer dialogs while the prefix is made.
export WINEDLLOVERRIDES="mscoree,mshtml="

failures=0
ok() { echo "ok: $*"; }
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
finish() { [ "$failures" -eq 0 ]; }

endprefix() {
  [ -d "$WINEPREFIX" ] && "$wineserver" -k >/dev/null 2>&1
  "$wineserver" -w >/dev/null 2>&1
  rm -rf "$work"
}
trap endprefix EXIT

# Makes the prefix and waits until Wine has finished setting it up, so no
# line of Wine's own reaches a program's standard error later.
makeprefix() {
  if ! timeout 180 "$wine" wineboot -i >"$work/wineboot.log" 2>&1; then
    cat "$work/wineboot.log"
    echo "FAIL: wineboot -i could not make the prefix $WINEPREFIX"
    exit 1
  fi
  timeout 120 "$wineserver" -w
}

runexe() {
  local seconds=$1
  shift
  timeout -k 5 "$seconds" "$wine" "$@"
}

startexe() {
  "$wine" "$@" &
}

# Waits up to SECONDS (default 20) for a window named exactly "Ruvello", gives
# it the keyboard and presses Return (the default button of a message box).
# Fails when no such window appeared.
closebox() {
  local seconds=${1:-20} window=""
  local deadline=$((SECONDS + seconds))
  while [ $SECONDS -lt $deadline ]; do
    window=$(xdotool search --onlyvisible --name '^Ruvello$' 2>/dev/null | head -n1)
    [ -n "$window" ] && break
    sleep 0.2
  done
  [ -n "$window" ] || return 1
  xdotool windowfocus --sync "$window" key Return 2>/dev/null
}

windowspath() {
  local path=$1
  echo "Z:${path//\//\\}"
}

# The profile folder Wine made when the prefix was made (C:\users\<USER>),
# the one folder in C:\users besides Public.
profilepath() {
  find "$WINEPREFIX/drive_c/users" -mindepth 1 -maxdepth 1 -type d ! -name Public | head -1
}

# Runs the command given until it succeeds, for at most the seconds given;
# status 1 when time ran out.
waitfor() {
  local seconds=$1
  shift
  local deadline=$((SECONDS + seconds))
  until "$@"; do
    [ $SECONDS -lt $deadline ] || return 1
    sleep 0.2
  done
}

# The fake clock preloaded into Wine itself (not through the faketime program,
# which would stand between a script and the Windows process it stops).
fakeclock="LD_PRELOAD=/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1 NO_FAKE_STAT=1"

# Puts the service and the tests' recording message box side by side in the
# folder given, and has the message box write what it receives to $record
# (set by the caller), so a script can read what each launch handed over.
installrecorder() {
  local folder=$1
  mkdir -p "$folder"
  cp "$bin/ruvelloservice.exe" "$recorder" "$folder/"
  export RUVELLO_RECORD
  RUVELLO_RECORD=$(windowspath "$record")
}
