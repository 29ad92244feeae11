#!/usr/bin/env bash
# Scans a file system that never answers, chosen as the drive itself (the program starts inside
# it), and closes the window while the worker hangs in the kernel: the window must be gone
# within 2 s, and once the file system is ended the program's exit code must be 0. Its standard
# error is one end of a socket pair, as a journal stream or a launcher gives it: the test's end
# must still write while the program waits for the kernel, since only the display is shut.
# $1: the zelk program. Skipped without /dev/fuse or the right to mount.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/window_helpers.bash"
have_hung_fs || { echo "no /dev/fuse or hung_fs: skipped"; exit 77; }
make_work
drive="$work/hung"
mkdir "$drive"
mount_hung_fs "$drive" || { echo "the hung file system did not mount: skipped"; exit 77; }

# Only the program runs inside it (it preselects the drive of its current directory): other
# tools look around their current directory and would hang. The parent keeps the other end of
# the program's standard error, writes on it once asked to, and ends with the program's code.
cat >"$work/pair.py" <<'PY'
import os, socket, subprocess, sys, time
work, drive, program = sys.argv[1:4]
ours, theirs = socket.socketpair()
child = subprocess.Popen([program], cwd=drive, stdout=subprocess.DEVNULL, stderr=theirs.fileno())
theirs.close()
with open(work + "/zelk.pid", "w") as out:
    out.write(str(child.pid))
while not os.path.exists(work + "/probe"):
    time.sleep(0.05)
try:
    ours.sendall(b"still here\n")
    result = "written"
except OSError as error:
    result = error.strerror
with open(work + "/probe.result", "w") as out:
    out.write(result)
err = b""
ours.settimeout(30)
try:
    while chunk := ours.recv(65536):
        err += chunk
except OSError:
    pass  # the line written above went unread
sys.stderr.write(err.decode(errors="replace"))
sys.exit(child.wait())
PY
python3 -I "$work/pair.py" "$work" "$drive" "$zelk" 2>"$work/err" &
pid=$!
await_window || exit 1
sleep 1
xdotool mousemove --window "$window" 455 22 click 1
sleep 1
if "$tool" shows "$window" "探索完了" >/dev/null 2>&1; then
  echo "the scan of the hung drive ended"; exit 1
fi

# A bare X server now and then drops a close request sent right after other input: asked again
# as a window manager would, but the window must be gone 2 s after the first request.
end=$(($(date +%s%N) + 2000000000))
while xdotool search --name '^ZELK$' >/dev/null 2>&1; do
  [ "$(date +%s%N)" -le "$end" ] || { echo "the window is still there 2 s after the close"; exit 1; }
  "$tool" close "$window"
  sleep 0.3
done

touch "$work/probe"
timeout 5 bash -c "until [ -s '$work/probe.result' ]; do sleep 0.05; done" ||
  { echo "the test's end of standard error never wrote"; exit 1; }
[ "$(cat "$work/probe.result")" = written ] ||
  { echo "the test's end of standard error: $(cat "$work/probe.result")"; exit 1; }
end_hung_fs "$drive"
status=0
timeout 10 tail --pid="$pid" -f /dev/null || { echo "ZELK did not end once the file system ended"; exit 1; }
wait "$pid" || status=$?
pid=""
cat "$work/err"
[ "$status" -eq 0 ] || { echo "exit code $status, expected 0"; exit 1; }
echo "ok"
