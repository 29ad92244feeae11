#!/usr/bin/env bash
# An error escaping a worker's body: the last-chance box comes up on the user-interface thread,
# the report is on standard error, and once the box is closed the process ends with exit code 1.
# $1: the zelk program; the frame with a raising worker is the helper beside the tests.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/window_helpers.bash"
make_work

"$tools/raising_worker" >"$work/out" 2>"$work/err" &
pid=$!
await_window '^ｱﾌﾟﾘｹｰｼｮﾝ ｴﾗｰ$' || exit 1
kill -0 "$pid" || { echo "ended before the box was closed"; exit 1; }
closed_with 1 || exit 1
cat "$work/err"
grep -q '^EConvertErrorがﾓｼﾞｭｰﾙ raising_worker の [0-9A-F]\{8,\} で発生しました。$' "$work/err" ||
  { echo "no report header on stderr"; exit 1; }
grep -q '^壊れた日付\.$' "$work/err" || { echo "no message line on stderr"; exit 1; }
echo "ok"
