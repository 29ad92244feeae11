# Sourced by the real-window tests; not a test itself (only *.sh files are).

# The bare X server now and then refuses a connection for a moment right after the previous
# test's clients went; every test waits until it answers before it starts anything.
for _ in $(seq 50); do
  xdotool getmouselocation >/dev/null 2>&1 && break
  sleep 0.1
done

# make_work: makes the test's own folder (work), removed when the test ends, and ends the
# program started as pid if it still runs then. The scans the program keeps go there too.
make_work() {
  work=$(mktemp -d)
  export XDG_DATA_HOME="$work/data"
  pid=""
  trap 'if [ -n "$pid" ]; then kill "$pid" 2>/dev/null || true; fi; rm -rf "$work"' EXIT
}

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

# opened_window <window tool> <pid>: waits for the window of pid to show that it has read its
# scan file, sets window to its id and fails (with the program's standard error) when it does not.
opened_window() {
  local tool=$1
  window=$(timeout 30 xdotool search --sync --pid "$2" --name '^ZELK$' | head -1) || true
  [ -n "$window" ] || { echo "no ZELK window"; return 1; }
  for _ in $(seq 150); do
    "$tool" shows "$window" "読込完了" >/dev/null 2>&1 && return 0
    sleep 0.2
  done
  echo "the scan file was not shown"
  cat "$work/err" 2>/dev/null || true
  return 1
}

# mount_hung_fs <hung_fs tool> <mount point>: mounts the file system that never answers there,
# sets fs to its process and fails when it does not mount. Only the mount table is read: a look
# at the mount point itself could hang. end_hung_fs <mount point> ends it, when it still runs.
mount_hung_fs() {
  "$1" "$2" 2>/dev/null &
  fs=$!
  for _ in $(seq 100); do
    grep -q " $2 " /proc/self/mountinfo && return 0
    sleep 0.05
  done
  return 1
}
end_hung_fs() {
  if [ -n "${fs:-}" ]; then kill -9 "$fs" 2>/dev/null || true; fi
  fs=""
  umount -l "$1" 2>/dev/null || true
}
