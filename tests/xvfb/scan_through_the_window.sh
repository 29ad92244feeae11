#!/usr/bin/env bash
# Scans a small generated tree through the real window: the program starts on a RAM disk made
# for the test (the chooser preselects the drive of the current directory), screenshots of the
# tree page and the graph page are taken (they must differ), the start button is clicked with the
# mouse, the status line must come to show the completion text, and closing as a window manager
# would must end the program with exit code 0. $1: the zelk program. SHOT_DIR, when set,
# receives window-tree.png and window-graph.png (at start) and window-scanned.png.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/window_helpers.bash"
make_work
drive="$work/drive"
mkdir "$drive"
if mount -t tmpfs -o size=16m zelk-scan-test "$drive" 2>/dev/null; then
  tmpfs=$drive
else
  # Without the right to mount, a directory on the shared-memory disk serves, if it is one.
  mountpoint -q /dev/shm || { echo "no RAM disk to scan: skipped"; exit 77; }
  drive=$(mktemp -d /dev/shm/zelk-scan-XXXXXX)
  trap 'end_work; rm -rf "$drive"' EXIT
fi
for a in 1 2 3; do
  for b in 1 2 3; do
    mkdir -p "$drive/dir$a/sub$b"
    head -c $((a * 1000 + b)) /dev/zero >"$drive/dir$a/sub$b/file"
  done
done

cd "$drive"
"$zelk" >"$work/out" 2>"$work/err" &
pid=$!
await_window || exit 1
sleep 1
"$tool" grab "$window" "$work/window-tree.png"
# The second tab sits right of the first one, under the top band.
xdotool mousemove --window "$window" 118 92 click 1
sleep 1
"$tool" grab "$window" "$work/window-graph.png"
cmp -s "$work/window-tree.png" "$work/window-graph.png" && { echo "the graph page did not open"; exit 1; }
if [ -n "${SHOT_DIR:-}" ]; then cp "$work/window-tree.png" "$work/window-graph.png" "$SHOT_DIR/"; fi
xdotool mousemove --window "$window" 40 92 click 1
sleep 1
if "$tool" shows "$window" "探索完了" >/dev/null; then
  echo "the completion text shows before any scan"; exit 1
fi

# The start button is the first one of the top band.
xdotool mousemove --window "$window" 455 22 click 1
for _ in $(seq 150); do
  sleep 0.2
  "$tool" shows "$window" "探索完了" >/dev/null && break
done
"$tool" shows "$window" "探索完了" >/dev/null ||
  { echo "the status line never showed the completion text"; exit 1; }
if [ -n "${SHOT_DIR:-}" ]; then "$tool" grab "$window" "$SHOT_DIR/window-scanned.png"; fi
closed_with 0 || exit 1
cat "$work/err"
echo "ok"
