#!/usr/bin/env bash
# Starts the real program, waits for its window, saves screenshots of the tree page and the
# graph page, asks the window to close as a window manager would, and expects exit code 0.
# $1: the zelk program. SHOT_DIR, when set, receives window-tree.png and window-graph.png.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/window_helpers.bash"
zelk=$1
tool="$(dirname "$zelk")/../tests/window_tool"
work=$(mktemp -d)
trap 'kill "$pid" 2>/dev/null || true; rm -rf "$work"' EXIT

"$zelk" >"$work/out" 2>"$work/err" &
pid=$!
window=$(timeout 30 xdotool search --sync --name '^ZELK$' | head -1)
[ -n "$window" ] || { echo "no ZELK window"; exit 1; }
sleep 1
"$tool" grab "$window" "$work/window-tree.png"

# The second tab sits right of the first one, under the top band.
xdotool mousemove --window "$window" 118 92 click 1
sleep 1
"$tool" grab "$window" "$work/window-graph.png"
if cmp -s "$work/window-tree.png" "$work/window-graph.png"; then
  echo "the graph page did not open"; exit 1
fi
if [ -n "${SHOT_DIR:-}" ]; then
  cp "$work/window-tree.png" "$work/window-graph.png" "$SHOT_DIR/"
fi

close_window "$tool" "$window" "$pid" || { echo "ZELK did not end"; exit 1; }
cat "$work/err"
[ "$exit_status" -eq 0 ] || { echo "exit code $exit_status, expected 0"; exit 1; }
echo "ok"
