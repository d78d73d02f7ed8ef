# Sourced by the test and run commands: starts Xvfb on the first free display number from
# the given range, exports DISPLAY and sets xvfb_pid (empty when none could be started).
# Usage: start_virtual_display FIRST LAST
start_virtual_display() {
  xvfb_pid=
  local n
  for n in $(seq "$1" "$2"); do
    [[ -e /tmp/.X$n-lock || -e /tmp/.X11-unix/X$n ]] && continue
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    export DISPLAY=":$n"
    break
  done
  [[ -n "$xvfb_pid" ]] || return 1
  local _
  for _ in $(seq 50); do [[ -e /tmp/.X11-unix/X${DISPLAY#:} ]] && break; sleep 0.1; done
}
