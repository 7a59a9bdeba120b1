#!/bin/bash
# A user types two lines into another window while a reminder appears, under
# openbox, a window manager that gives each new window the focus: the box
# takes none of it, so every key reaches the window the user types in and
# the box stays open, above the others and asking for attention. Runs on an
# X server of its own, as the focus of a shared display is anyone's.
set -u
bin=$1
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d /tmp/ruvello-msgbox-typing-XXXXXX)
export HOME=$work/home XDG_RUNTIME_DIR=$work/run
mkdir -p "$HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
pids=()
unset DISPLAY
. "$here/../../scripts/xvfb.sh"
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
    stopxvfb
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; exit 1; }
command -v openbox > /dev/null || fail "openbox is not installed"
startxvfb || fail "no X server of the test's own could be started"

openbox --config-file /dev/null > "$work/openbox.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
    sleep 0.1
done
xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id' || fail "openbox did not start: $(cat "$work/openbox.log")"

# searchwindow.
source "$here/../windowsearch.sh"

# findwindow NAME: the window of that title.
findwindow() { searchwindow --onlyvisible --name "$1"; }

"$bin/typingwindow" "$work/typed" &
pids+=($!)
typing=$(findwindow '^Typing$')
[ -n "$typing" ] || fail "the typing window did not appear"
for _ in $(seq 50); do
    [ "$(xdotool getactivewindow 2>/dev/null)" == "$typing" ] && break
    sleep 0.1
done
[ "$(xdotool getactivewindow 2>/dev/null)" == "$typing" ] || fail "openbox did not focus the typing window"

text=$'hello world, this is the first line\nand here comes a second one\n'
xdotool type --delay 70 "$text" &
typist=$!
sleep 0.6
"$bin/ruvellomsgbox" "12-24 - Buy the tree" &
box=$!
pids+=("$box")
reminder=$(findwindow '^Ruvello$')
wait "$typist"
[ -n "$reminder" ] || fail "no reminder appeared"
# Every key typed reaches the other window, which writes what it got; a key
# the box took would never arrive there.
for _ in $(seq 300); do
    printf '%s' "$text" | cmp -s - "$work/typed" && break
    sleep 0.1
done
kill -0 "$box" 2>/dev/null || fail "the reminder was dismissed by keys meant for the other window"
printf '%s' "$text" | cmp -s - "$work/typed" || \
    fail "the other window got '$(cat "$work/typed" 2>/dev/null)'"
[ "$(xdotool getactivewindow)" == "$typing" ] || fail "the reminder took the focus"
states=$(xprop -id "$reminder" _NET_WM_STATE)
case $states in
    *_NET_WM_STATE_ABOVE*) ;;
    *) fail "the reminder is not kept above: $states" ;;
esac
case $states in
    *_NET_WM_STATE_DEMANDS_ATTENTION*) ;;
    *) fail "the reminder does not ask for attention: $states" ;;
esac
xprop -id "$reminder" _NET_WM_DESKTOP | grep -q '= 4294967295' || \
    fail "the reminder is not on every desktop: $(xprop -id "$reminder" _NET_WM_DESKTOP)"
echo "msgbox typing: passed"
