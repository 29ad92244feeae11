#!/usr/bin/env bash
# The context menu in the real window: after a scan of a RAM disk made for the test, the Menu
# key on a node opens the menu once, and its first entry hands the folder's URL to the desktop's
# default handler (an xdg-open of the test's own that records it) when the session has no bus.
# $1: the zelk program. SHOT_DIR, when set, receives context-menu.png, the menu open.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/window_helpers.bash"
make_work
drive="$work/drive"
mkdir "$drive" "$work/bin"
mount -t tmpfs -o size=16m zelk-menu-test "$drive" 2>/dev/null || { echo "cannot mount a tmpfs: skipped"; exit 77; }
tmpfs=$drive
# A space, a backslash, a newline and a byte that is not UTF-8.
folder="$drive/"$'odd \\\n\xff'
mkdir -p "$folder/sub"
head -c 100000 /dev/zero >"$folder/sub/file"
cat >"$work/bin/xdg-open" <<SCRIPT
#!/bin/sh
printf '%s\n' "\$*" >>"$work/opened"
SCRIPT
chmod +x "$work/bin/xdg-open"

cd "$drive"
DBUS_SESSION_BUS_ADDRESS="unix:path=$work/no-bus" PATH="$work/bin:$PATH" "$zelk" >"$work/out" 2>"$work/err" &
pid=$!
await_window || exit 1
sleep 1
xdotool mousemove --window "$window" 455 22 click 1
for _ in $(seq 150); do
  sleep 0.2
  "$tool" shows "$window" "探索完了" >/dev/null && break
done
"$tool" shows "$window" "探索完了" >/dev/null || { echo "the scan did not finish"; exit 1; }

# The popups of the program (the name matches the main window's too, without case).
menus() {
  xdotool search --onlyvisible --pid "$pid" --name '^zelk$' 2>/dev/null | grep -cvx "$window" || true
}
# The tree's root node is its first row; Right opens it, Down goes to its only child.
xdotool mousemove --window "$window" 60 112 click 1
xdotool key Right Down Menu
sleep 1
[ "$(menus)" = 1 ] || { echo "the Menu key opened $(menus) menus"; exit 1; }
if [ -n "${SHOT_DIR:-}" ]; then "$tool" grab "$window" "$SHOT_DIR/context-menu.png"; fi
xdotool key Down Return
for _ in $(seq 50); do
  [ -s "$work/opened" ] && break
  sleep 0.1
done
expected="file://$drive/odd%20%5C%0A%FF"
[ "$(cat "$work/opened" 2>/dev/null)" = "$expected" ] || {
  echo "the handler got '$(cat "$work/opened" 2>/dev/null)', not '$expected'"; cat "$work/err"; exit 1; }
[ "$(menus)" = 0 ] || { echo "the menu stayed open"; exit 1; }

closed_with 0
