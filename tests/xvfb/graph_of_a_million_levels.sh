#!/usr/bin/env bash
# Opens a scan file of a chain of 1,000,000 directories (made by the test) in the real window,
# turns to the graph page, drags its scroll bar to the deepest column, hovers and double-clicks
# the deepest bar and goes back with Home: the picture must change with the scroll, the program
# must live through it all, and closing as a window manager would must end it with exit code 0.
# $1: the zelk program. SHOT_DIR, when set, receives graph-deepest.png.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/window_helpers.bash"
make_work
command -v python3 >/dev/null || { echo "no python3 to write the scan file: skipped"; exit 77; }
python3 - "$work/deep.json" <<'PY'
import sys
levels = 1000000
with open(sys.argv[1], "w") as out:
    out.write('[1,2,{"progname":"test","progver":"1","timestamp":0},\n[{"name":"/deep"}')
    out.write("".join(',[{"name":"d%d"}' % i for i in range(1, levels)))
    out.write(',{"name":"f","asize":5,"dsize":4096}' + "]" * levels + "]\n")
PY

"$zelk" "$work/deep.json" >"$work/out" 2>"$work/err" &
pid=$!
opened_window || exit 1
# The second tab, then the scroll bar's slider at the left end of the page's bottom row.
xdotool mousemove --window "$window" 118 92 click 1
sleep 1
"$tool" grab "$window" "$work/first.png"
xdotool mousemove --window "$window" 25 380 mousedown 1 mousemove --window "$window" 300 380 \
  sleep 0.3 mousemove --window "$window" 700 380 sleep 0.3 mouseup 1
sleep 2
"$tool" grab "$window" "$work/deepest.png"
cmp -s "$work/first.png" "$work/deepest.png" && { echo "the graph did not scroll"; exit 1; }
if [ -n "${SHOT_DIR:-}" ]; then cp "$work/deepest.png" "$SHOT_DIR/graph-deepest.png"; fi
# The deepest bar fills the last column; hover it, zoom into it, and back to the drive.
xdotool mousemove --window "$window" 630 250 sleep 1.5 click --repeat 2 --delay 80 1
sleep 1
xdotool key Home
sleep 1
kill -0 "$pid" 2>/dev/null || { echo "ZELK ended on the deep graph"; cat "$work/err"; exit 1; }
closed_with 0 || exit 1
cat "$work/err"
echo "ok"
