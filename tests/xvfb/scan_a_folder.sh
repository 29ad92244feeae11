#!/usr/bin/env bash
# `zelk DIRECTORY` through the real window: the folder (a RAM disk made for the test) is scanned
# at once as the drive a:, which the closed drive list then shows; the open list stays as it is
# while nothing is mounted and gains a RAM disk mounted while the window is open when it is
# opened next (that the folder comes first there is the drive list's own test). Runs in a mount
# namespace of its own, so that mounts of other programs cannot change the list.
# $1: the zelk program.
set -euo pipefail
if [ -z "${ZELK_OWN_MOUNTS:-}" ]; then
  unshare -m --propagation private true 2>/dev/null || { echo "no mount namespace: skipped"; exit 77; }
  ZELK_OWN_MOUNTS=1 exec unshare -m --propagation private bash "$0" "$@"
fi
source "$(dirname "${BASH_SOURCE[0]}")/window_helpers.bash"
make_work
trap 'umount "$work/late" 2>/dev/null || true; end_work' EXIT
mkdir "$work/folder" "$work/late"
mount -t tmpfs -o size=8m zelk-folder "$work/folder" 2>/dev/null || { echo "cannot mount: skipped"; exit 77; }
tmpfs="$work/folder"
for d in one two/three; do
  mkdir -p "$work/folder/$d"
  head -c 5000 /dev/zero >"$work/folder/$d/file"
done

"$zelk" "$work/folder" >"$work/out" 2>"$work/err" &
pid=$!
await_window || exit 1
for _ in $(seq 150); do
  "$tool" shows "$window" "探索完了" >/dev/null 2>&1 && break
  sleep 0.2
done
"$tool" shows "$window" "探索完了" >/dev/null || { echo "the folder was not scanned"; cat "$work/err"; exit 1; }
"$tool" shows "$window" "a: [$work/folder]" 0 >/dev/null ||
  { echo "the drive list does not show a: [$work/folder]"; exit 1; }

# The open list, scrolled to its end (it may hold more rows than it shows, and the newest drive
# comes just before the last entry, the folder chooser), grabbed into $1.
grab_list() {
  xdotool mousemove --window "$window" 100 18 click 1
  sleep 1
  xdotool key End
  sleep 0.5
  "$tool" grab "$window" "$1"
  xdotool key Escape
  sleep 0.5
}
grab_list "$work/list1.png"
grab_list "$work/list2.png"
cmp -s "$work/list1.png" "$work/list2.png" || { echo "the list changed with nothing mounted"; exit 1; }
mount -t tmpfs -o size=1m zelk-late "$work/late"
grab_list "$work/list3.png"
cmp -s "$work/list2.png" "$work/list3.png" && { echo "the drive mounted meanwhile is not listed"; exit 1; }
if [ -n "${SHOT_DIR:-}" ]; then cp "$work/list3.png" "$SHOT_DIR/drive-list-folder.png"; fi

closed_with 0
echo "ok"
