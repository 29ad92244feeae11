#!/usr/bin/env bash
# Starts the program on a scan file whose open cannot finish, and closes the window as a window
# manager does: a FIFO without a writer (refused, or stuck in its open), and a file on a file
# system that never answers (stuck in the kernel). Every ZELK window must be gone within 2 s,
# and the exit code must be 0 once the file system has ended. $1: the zelk program. The hung
# case is skipped without /dev/fuse or the right to mount.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/window_helpers.bash"
make_work
mkdir "$work/hung"

# close_during_open <file>: starts ZELK on file, closes its windows (a refusal's box first, as
# a user would), and requires them gone within 2 s.
close_during_open() {
  (cd "$work" && exec "$zelk" "$1" >"$work/out" 2>"$work/err") &
  pid=$!
  await_window || exit 1
  sleep 1
  local end=$(($(date +%s%N) + 2000000000))
  while windows=$(xdotool search --name '^ZELK$' 2>/dev/null) && [ "$(date +%s%N)" -lt "$end" ]; do
    for window in $(echo "$windows" | sort -rn); do "$tool" close "$window"; done
    sleep 0.2
  done
  ! xdotool search --name '^ZELK$' >/dev/null 2>&1 ||
    { echo "$1: the window is still there after the close"; exit 1; }
}

# exit_code_after <seconds>: waits for ZELK to end and fails unless its exit code is 0.
exit_code_after() {
  timeout "$1" tail --pid="$pid" -f /dev/null || { echo "ZELK did not end"; exit 1; }
  local status=0
  wait "$pid" || status=$?
  pid=""
  [ "$status" -eq 0 ] || { echo "exit code $status, expected 0"; cat "$work/err"; exit 1; }
}

mkfifo "$work/fifo"
close_during_open fifo
exit_code_after 5
echo "fifo: ok"

have_hung_fs || { echo "no /dev/fuse or hung_fs: hung case skipped"; exit 0; }
mount_hung_fs "$work/hung" || { echo "the hung file system did not mount: hung case skipped"; exit 0; }
close_during_open "$work/hung/scan.json"
end_hung_fs "$work/hung"
exit_code_after 10
echo "hung mount: ok"
