#!/usr/bin/env bash
# Scans a file system that never answers, chosen as the drive itself (the program starts inside
# it), and closes the window while the worker hangs in the kernel: the window must be gone
# within 2 s, and once the file system is ended the program's exit code must be 0.
# $1: the zelk program. Skipped without /dev/fuse or the right to mount.
set -euo pipefail
zelk=$(realpath "$1")
tools="$(dirname "$zelk")/../tests"
[ -e /dev/fuse ] && [ -x "$tools/hung_fs" ] || { echo "no /dev/fuse or hung_fs: skipped"; exit 77; }
work=$(mktemp -d)
drive="$work/hung"
mkdir "$drive"
pid="" fs=""
cleanup() {
  if [ -n "$fs" ]; then kill -9 "$fs" 2>/dev/null || true; fi
  if [ -n "$pid" ]; then kill -9 "$pid" 2>/dev/null || true; fi
  umount -l "$drive" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
"$tools/hung_fs" "$drive" 2>/dev/null &
fs=$!
# Only the mount table is read: a look at the mount point itself could hang.
for _ in $(seq 100); do
  grep -q " $drive " /proc/self/mountinfo && break
  sleep 0.05
done
grep -q " $drive " /proc/self/mountinfo || { echo "the hung file system did not mount: skipped"; exit 77; }

# Only the program runs inside it (it preselects the drive of its current directory): other
# tools look around their current directory and would hang.
(cd "$drive" && exec "$zelk" >"$work/out" 2>"$work/err") &
pid=$!
window=$(timeout 30 xdotool search --sync --name '^ZELK$' | head -1)
[ -n "$window" ] || { echo "no ZELK window"; exit 1; }
sleep 1
xdotool mousemove --window "$window" 455 22 click 1
sleep 1
if "$tools/window_tool" shows "$window" "探索完了" >/dev/null 2>&1; then
  echo "the scan of the hung drive ended"; exit 1
fi

"$tools/window_tool" close "$window"
timeout 2 bash -c "while xdotool search --name '^ZELK\$' >/dev/null 2>&1; do sleep 0.05; done" ||
  { echo "the window is still there 2 s after the close"; exit 1; }

kill -9 "$fs"
fs=""
status=0
timeout 10 tail --pid="$pid" -f /dev/null || { echo "ZELK did not end once the file system ended"; exit 1; }
wait "$pid" || status=$?
pid=""
cat "$work/err"
[ "$status" -eq 0 ] || { echo "exit code $status, expected 0"; exit 1; }
echo "ok"
