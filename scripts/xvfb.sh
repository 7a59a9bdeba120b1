# Sourced by the scripts that need a display. startxvfb starts one Xvfb on the
# first free display number when DISPLAY is not set, exports DISPLAY and keeps
# the server's process id in xvfbpid (empty when none was started); it fails
# when no server could be started. stopxvfb ends the server it started.
# The server keeps running as it is when its last client leaves (-noreset):
# a server that resets refuses the next program for a moment, and a test that
# closes its only window and starts it again met that.
xvfbpid=""

startxvfb() {
  [ -n "${DISPLAY:-}" ] && return 0
  local number
  for number in $(seq 90 140); do
    { [ -e "/tmp/.X11-unix/X$number" ] || [ -e "/tmp/.X$number-lock" ]; } && continue
    Xvfb ":$number" -screen 0 1280x1024x24 -nolisten tcp -noreset >/dev/null 2>&1 &
    xvfbpid=$!
    for _ in $(seq 50); do
      [ -e "/tmp/.X11-unix/X$number" ] && break
      sleep 0.1
    done
    if kill -0 "$xvfbpid" 2>/dev/null; then
      export DISPLAY=":$number"
      # The socket may exist a moment before the server takes clients.
      for _ in $(seq 50); do
        xprop -root >/dev/null 2>&1 && break
        sleep 0.1
      done
      return 0
    fi
    xvfbpid=""
  done
  return 1
}

stopxvfb() {
  [ -n "$xvfbpid" ] && kill "$xvfbpid" 2>/dev/null
  return 0
}
