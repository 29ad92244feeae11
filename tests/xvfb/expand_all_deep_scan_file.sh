#!/usr/bin/env bash
# Opens a scan file 100,000 levels deep in the real window, selects the root and presses `*`
# (expand all): the program must survive it and keep answering a window manager's ping; the
# longest wait for an answer while the tree expands is printed. Closing then ends it with
# exit code 0. $1: the zelk program.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/window_helpers.bash"
make_work
levels=100000
{
  printf '[1,2,{"progname":"test","progver":"1","timestamp":0},\n'
  for _ in $(seq "$levels"); do printf '[{"name":"d","mtime":1700000000},'; done
  printf '{"name":"f","asize":1,"mtime":1700000000}'
  for _ in $(seq "$levels"); do printf ']'; done
  printf ']\n'
} >"$work/deep.json"

(cd "$work" && exec "$zelk" deep.json >"$work/out" 2>"$work/err") &
pid=$!
opened_window || exit 1
"$tool" grab "$window" "$work/before.png"
# The root is the first row of the tree page, under the tabs.
xdotool mousemove --window "$window" 60 115 click 1
sleep 0.5
xdotool key --window "$window" asterisk
gap=$("$tool" ping "$window" 5) || { echo "the window stopped answering: ${gap:-}"; exit 1; }
echo "longest event-loop gap while expanding all: $gap ms"
kill -0 "$pid" 2>/dev/null || { echo "ZELK ended"; cat "$work/err"; exit 1; }
"$tool" grab "$window" "$work/after.png"
cmp -s "$work/before.png" "$work/after.png" && { echo "nothing was expanded"; exit 1; }
[ "$gap" -le 100 ] || { echo "an event-loop gap of $gap ms"; exit 1; }
closed_with 0 || exit 1
echo "ok"
