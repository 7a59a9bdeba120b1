#!/bin/bash
# The panel and the reminder at one desktop scale, on an X server of the
# test's own: xrdb changes a display for every program on it, and the suite
# runs its window tests side by side on a shared one. The server is told
# Xft.dpi DPI; then the window tests that hold at any scale run there (the
# sizes, every widget and font multiplied, every text whole, nothing
# covered), and the two programs themselves must open windows of the sizes
# given.
# Usage: scaling.sh BINDIR DPI PANELSIZE REMINDERWIDTH   (e.g. 144 900x600 750)
set -u
bin=$1
dpi=$2
panel=$3
reminder=$4
work=$(mktemp -d /tmp/ruvello-scaling-XXXXXX)
export HOME=$work/home XDG_RUNTIME_DIR=$work/run
mkdir -p "$HOME/.config/pulse" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
# The reminder sounds by default: no sound server is to be started for it.
echo 'autospawn = no' > "$HOME/.config/pulse/client.conf"
# GDK_SCALE only counts where Xft.dpi is absent; none is wanted here.
unset GDK_SCALE DISPLAY RUVELLO_DUE
pids=()
xvfb=""
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL at Xft.dpi $dpi: $*"; exit 1; }
# searchwindow.
source "$(dirname "$0")/../windowsearch.sh"
for tool in Xvfb xrdb xdotool xwininfo; do
    command -v "$tool" > /dev/null || fail "$tool is not installed"
done

# With -displayfd the server takes a free display number itself and writes it
# once it accepts clients, so servers started side by side never share one;
# -noreset keeps the resources once xrdb, its only client then, has left.
Xvfb -displayfd 3 -screen 0 2560x1600x24 -nolisten tcp -noreset 3> "$work/display" > "$work/xvfb.log" 2>&1 &
xvfb=$!
for _ in $(seq 200); do
    [ -s "$work/display" ] && break
    kill -0 "$xvfb" 2>/dev/null || break
    sleep 0.05
done
[ -s "$work/display" ] || fail "no X server could be started: $(cat "$work/xvfb.log")"
export DISPLAY=":$(head -n1 "$work/display")"
echo "Xft.dpi: $dpi" | xrdb -merge || fail "xrdb could not set Xft.dpi"
xrdb -query | grep -qx "Xft.dpi:[[:space:]]*$dpi" || fail "the server holds no Xft.dpi $dpi: $(xrdb -query)"

failed=0
RUVELLO_EXPECT_PANEL=$panel "$bin/config_window_tests" --gtest_brief=1 \
    --gtest_filter='ConfigWindow.ShownWindow*:ConfigWindow.EveryText*:ConfigWindow.TabCaptions*:ConfigWindow.EveryWidget*:ConfigWindow.NoControl*:ConfigWindow.TheToolkitsOwnFileDialog*' \
    || { echo "FAIL: the panel's window tests at Xft.dpi $dpi"; failed=1; }
RUVELLO_EXPECT_REMINDER_WIDTH=$reminder "$bin/msgbox_tests" --gtest_brief=1 \
    --gtest_filter='MessageWindow.Holds*:MessageWindow.AWord*:MessageWindow.Fonts*' \
    || { echo "FAIL: the reminder's window tests at Xft.dpi $dpi"; failed=1; }

# windowsize PID: the width and height of the first window the process maps, as "WxH".
windowsize() {
    local window
    window=$(searchwindow --onlyvisible --pid "$1")
    [ -n "$window" ] || return 1
    xwininfo -id "$window" | awk '/Width:/ {w = $2} /Height:/ {h = $2} END {print w "x" h}'
}

# The programs read the scale in main and hand it on.
"$bin/ruvelloconfig" > "$work/config.log" 2>&1 &
pids+=($!)
size=$(windowsize "$!") || fail "the panel showed no window: $(cat "$work/config.log")"
[ "$size" == "$panel" ] || { echo "FAIL: the panel opened at $size, not $panel"; failed=1; }
"$bin/ruvellomsgbox" "12-24 - Buy the tree" > "$work/box.log" 2>&1 &
pids+=($!)
size=$(windowsize "$!") || fail "the reminder showed no window: $(cat "$work/box.log")"
[ "${size%x*}" == "$reminder" ] || { echo "FAIL: the reminder opened $size wide, not $reminder"; failed=1; }

[ "$failed" -eq 0 ] || exit 1
echo "scaling at Xft.dpi $dpi: passed"
