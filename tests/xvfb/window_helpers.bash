# Sourced by the real-window tests with the script's own arguments ($1: the zelk program); not a
# test itself (only *.sh files are).
zelk=$(realpath "$1")
tools="$(dirname "$zelk")/../tests"
tool="$tools/window_tool"

# The bare X server now and then refuses a connection for a moment right after the previous
# test's clients went; every test waits until it answers before it starts anything.
for _ in $(seq 50); do
  xdotool getmouselocation >/dev/null 2>&1 && break
  sleep 0.1
done

# make_work: makes the test's own folder (work). When the test ends, the program started as pid
# is killed, the hung file system mounted on $hung ended, the tmpfs on $tmpfs unmounted and the
# folder removed.
make_work() {
  work=$(mktemp -d)
  pid="" fs="" hung="" tmpfs=""
  trap 'end_work' EXIT
}
end_work() {
  # Only a kill ends a program that waits on the hung file system.
  if [ -n "$pid" ]; then kill ${hung:+-9} "$pid" $(cat "$work/zelk.pid" 2>/dev/null) 2>/dev/null || true; fi
  if [ -n "$hung" ]; then end_hung_fs "$hung"; fi
  cd /
  if [ -n "$tmpfs" ]; then umount -l "$tmpfs" || true; fi
  rm -rf "$work" || true
}

# await_window [name]: waits for a window of that name (ZELK's by default), sets window to its
# id and fails when none comes.
await_window() {
  window=$(timeout 30 xdotool search --sync --name "${1:-^ZELK\$}" | head -1) || true
  [ -n "$window" ] || { echo "no window ${1:-ZELK}"; return 1; }
}

# close_window <window id> <pid>: asks the window to close as a window manager does until the
# process ends, then sets exit_status to its exit code. Fails when it does not end.
close_window() {
  local window=$1 pid=$2
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

# closed_with <code>: closes the window of pid and fails unless the program ends with code.
closed_with() {
  close_window "$window" "$pid" || { echo "ZELK did not end"; return 1; }
  pid=""
  [ "$exit_status" -eq "$1" ] || { echo "exit code $exit_status, expected $1"; cat "$work/err"; return 1; }
}

# opened_window: waits for the window of pid to show that it has read its scan file, sets window
# to its id and fails (with the program's standard error) when it does not.
opened_window() {
  window=$(timeout 30 xdotool search --sync --pid "$pid" --name '^ZELK$' | head -1) || true
  [ -n "$window" ] || { echo "no ZELK window"; return 1; }
  for _ in $(seq 150); do
    "$tool" shows "$window" "読込完了" >/dev/null 2>&1 && return 0
    sleep 0.2
  done
  echo "the scan file was not shown"
  cat "$work/err" 2>/dev/null || true
  return 1
}

# have_hung_fs: whether the file system that never answers can be mounted here.
have_hung_fs() { [ -e /dev/fuse ] && [ -x "$tools/hung_fs" ]; }

# mount_hung_fs <mount point>: mounts it there, sets fs to its process and fails when it does not
# mount. Only the mount table is read: a look at the mount point itself could hang.
# end_hung_fs <mount point> ends it, when it still runs.
mount_hung_fs() {
  hung=$1
  "$tools/hung_fs" "$1" 2>/dev/null &
  fs=$!
  for _ in $(seq 100); do
    grep -q " $1 " /proc/self/mountinfo && return 0
    sleep 0.05
  done
  return 1
}
end_hung_fs() {
  if [ -n "${fs:-}" ]; then kill -9 "$fs" 2>/dev/null || true; fi
  fs=""
  umount -l "$1" 2>/dev/null || true
}
