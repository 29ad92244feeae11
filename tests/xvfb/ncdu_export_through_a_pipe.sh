#!/usr/bin/env bash
# Pipes the real ncdu's export of a small tree into `zelk -` and reads the tree page: its rows
# (the root's node text first) must be pixel for pixel those of the same export opened as a
# file, and closing must end the program with exit code 0. $1: the zelk program. Skipped
# without ncdu.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/window_helpers.bash"
command -v ncdu >/dev/null || { echo "no ncdu: skipped"; exit 77; }
make_work
mkdir -p "$work/tree/a/b" "$work/tree/c"
head -c 12345 /dev/zero >"$work/tree/a/file"
head -c 678 /dev/zero >"$work/tree/c/file"
ncdu -o "$work/scan.json" -x "$work/tree" 2>/dev/null

# rows_of <picture> : waits for the started program's scan file, saves the band of the tree
# page's first rows, and closes the window.
rows_of() {
  opened_window || { echo "$1: nothing was read"; exit 1; }
  # Tabs end at 100 pixels; the root's row is the first of the tree page.
  "$tool" grab "$window" "$work/$1" 100 60
  closed_with 0 || exit 1
}

(cd "$work" && exec "$zelk" scan.json 2>"$work/err") &
pid=$!
rows_of file.png
(cd "$work" && exec "$zelk" - < <(ncdu -o- -x tree 2>/dev/null) 2>"$work/err") &
pid=$!
rows_of pipe.png
cmp -s "$work/file.png" "$work/pipe.png" || { echo "the piped export shows other rows"; exit 1; }
echo "ok"
