#!/usr/bin/env bash
# Starts the real program as `zelk --compare OLD NEW` on two of the real ncdu's exports of one
# tree, before and after a file grew and a folder was added: once NEW is shown, its rows must
# come to differ from NEW opened alone (their brackets); Ctrl+B must then bring back exactly
# those plain rows, and closing must end the program with exit code 0.
# $1: the zelk program. Skipped without ncdu.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/window_helpers.bash"
command -v ncdu >/dev/null || { echo "no ncdu: skipped"; exit 77; }
make_work
mkdir -p "$work/tree/a" "$work/tree/b"
head -c 1000 /dev/zero >"$work/tree/a/file"
ncdu -o "$work/old.json" -x "$work/tree" 2>/dev/null
head -c 13345 /dev/zero >"$work/tree/a/file"
mkdir "$work/tree/c"
ncdu -o "$work/new.json" -x "$work/tree" 2>/dev/null

# tree_page <picture>: saves the band of the tree page's first rows. select_root: clicks the
# root's row, so that the keys go to the window (there is no window manager to give it focus);
# the window keeps that selection over each listing, so every picture is taken with it.
tree_page() { "$tool" grab "$window" "$work/$1" 100 60; }
select_root() {
  xdotool mousemove --window "$window" 60 115 click 1
  sleep 0.5
}

(cd "$work" && exec "$zelk" new.json 2>"$work/err") &
pid=$!
opened_window || exit 1
select_root
tree_page plain.png
close_window "$window" "$pid" || { echo "ZELK did not end"; exit 1; }

(cd "$work" && exec "$zelk" --compare old.json new.json 2>"$work/err") &
pid=$!
opened_window || exit 1
select_root
# The brackets come once both files are read and matched: the rows then differ from NEW's.
compared=""
for _ in $(seq 50); do
  tree_page compared.png
  cmp -s "$work/plain.png" "$work/compared.png" || { compared=yes; break; }
  sleep 0.2
done
[ -n "$compared" ] || { echo "the comparison is not shown"; exit 1; }
xdotool key --window "$window" ctrl+b
ended=""
for _ in $(seq 50); do
  tree_page ended.png
  cmp -s "$work/plain.png" "$work/ended.png" && { ended=yes; break; }
  sleep 0.2
done
[ -n "$ended" ] || { echo "Ctrl+B did not end the comparison"; exit 1; }
close_window "$window" "$pid" || { echo "ZELK did not end"; exit 1; }
pid=""
[ "$exit_status" -eq 0 ] || { echo "exit code $exit_status, expected 0"; exit 1; }
echo "ok"
