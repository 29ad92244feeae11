# Sourced by the real-window tests; not a test itself (only *.sh files are).

# close_window <window tool> <window id> <pid>: asks the window to close as a window manager does
# until the process ends, then sets exit_status to its exit code. Fails when it does not end.
close_window() {
  local tool=$1 window=$2 pid=$3
  # Under a bare X server a close request sent right after other clients' input is now and then
  # not taken; a window manager would ask again, and so does the test.
  for _ in $(seq 10); do
    "$tool" close "$window"
    timeout 2 tail --pid="$pid" -f /dev/null && break
  done
  if kill -0 "$pid" 2>/dev/null; then
    return 1
  fi
  exit_status=0
  wait "$pid" || exit_status=$?
}
