#!/usr/bin/env bash
# An error escaping a worker's body: the last-chance box comes up on the user-interface thread,
# the report is on standard error, and once the box is closed the process ends with exit code 1.
# $1: the zelk program; the frame with a raising worker is the helper beside the tests.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/window_helpers.bash"
helper="$(dirname "$1")/../tests/raising_worker"
tool="$(dirname "$1")/../tests/window_tool"
work=$(mktemp -d)
trap 'kill "$pid" 2>/dev/null || true; rm -rf "$work"' EXIT

"$helper" >"$work/out" 2>"$work/err" &
pid=$!
box=$(timeout 30 xdotool search --sync --name '^ｱﾌﾟﾘｹｰｼｮﾝ ｴﾗｰ$' | head -1)
[ -n "$box" ] || { echo "no last-chance box"; exit 1; }
kill -0 "$pid" || { echo "ended before the box was closed"; exit 1; }
close_window "$tool" "$box" "$pid" || { echo "did not end after the box"; exit 1; }
cat "$work/err"
[ "$exit_status" -eq 1 ] || { echo "exit code $exit_status, expected 1"; exit 1; }
grep -q '^EConvertErrorがﾓｼﾞｭｰﾙ raising_worker の [0-9A-F]\{8,\} で発生しました。$' "$work/err" ||
  { echo "no report header on stderr"; exit 1; }
grep -q '^壊れた日付\.$' "$work/err" || { echo "no message line on stderr"; exit 1; }
echo "ok"
