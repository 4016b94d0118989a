#!/usr/bin/env bash
# Starts the window on simulated boards (veloris-demo) on a private Xvfb display, starts a
# read from the slow board behind COM3, and sends the given signal while the read runs.
# Expects the read to stop at the end of the slot under way, the program to end with
# status 0 within a few seconds, and the lock file it held on the port to be gone.
# Usage: run_signal_smoke.sh path/to/veloris-demo SIGNAL
# Exit 77 (skipped) when Xvfb or xdotool is missing, or /run/lock cannot be written.

set -u

program=${1:?usage: run_signal_smoke.sh path/to/veloris-demo SIGNAL}
signal=${2:?usage: run_signal_smoke.sh path/to/veloris-demo SIGNAL}
# xdotool takes a regular expression.
caption="Electronic VELORIS interface - V1\\.1 \\(démo\\)"
lock_dir=/run/lock
# Centres in pixels of the client area: COM3 (frame at 120,120; button at 1920,0, 855x255
# twips) and CmdRead (3960,4680, 975x495 twips).
com3_x=164
com3_y=16
read_x=296
read_y=328
window_timeout_s=15
lock_timeout_s=5
exit_timeout_s=5

for tool in Xvfb xdotool; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "SKIP: $tool not installed"
        exit 77
    fi
done
if [ ! -w "$lock_dir" ]; then
    echo "SKIP: $lock_dir is not writable"
    exit 77
fi

work=$(mktemp -d)
xvfb_pid=
app_pid=
cleanup() {
    if [ -n "$app_pid" ] && kill -0 "$app_pid" 2>/dev/null; then
        kill -KILL "$app_pid" 2>/dev/null
        wait "$app_pid" 2>/dev/null
    fi
    if [ -n "$xvfb_pid" ] && kill -0 "$xvfb_pid" 2>/dev/null; then
        kill "$xvfb_pid" 2>/dev/null
        wait "$xvfb_pid" 2>/dev/null
    fi
    rm -rf "$work"
}
trap cleanup EXIT

exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
exec 3>&-
for _ in $(seq 100); do
    [ -s "$work/display" ] && break
    sleep 0.1
done
if [ ! -s "$work/display" ]; then
    echo "FAIL: Xvfb did not start"
    exit 1
fi
export DISPLAY=":$(head -n1 "$work/display")"
export XDG_RUNTIME_DIR="$work"
unset QT_QPA_PLATFORM

"$program" >"$work/app.log" 2>&1 &
app_pid=$!

window=$(timeout "$window_timeout_s" xdotool search --sync --onlyvisible --name "^${caption}\$" | head -n1)
if [ -z "$window" ]; then
    echo "FAIL: no window captioned \"$caption\" within ${window_timeout_s}s"
    cat "$work/app.log"
    exit 1
fi
xdotool mousemove --window "$window" "$com3_x" "$com3_y" click 1
xdotool mousemove --window "$window" "$read_x" "$read_y" click 1

# The lock file of the port the read holds: ten characters of PID and a line feed.
lock=
for _ in $(seq $((lock_timeout_s * 100))); do
    lock=$(grep -lx " *$app_pid" "$lock_dir"/LCK..* 2>/dev/null | head -n1)
    [ -n "$lock" ] && break
    sleep 0.01
done
if [ -z "$lock" ]; then
    echo "FAIL: no lock file holding PID $app_pid in $lock_dir within ${lock_timeout_s}s"
    cat "$work/app.log"
    exit 1
fi
echo "read running, $lock holds PID $app_pid; sending $signal"
kill "-$signal" "$app_pid"

for _ in $(seq $((exit_timeout_s * 10))); do
    kill -0 "$app_pid" 2>/dev/null || break
    sleep 0.1
done
if kill -0 "$app_pid" 2>/dev/null; then
    echo "FAIL: still running ${exit_timeout_s}s after $signal"
    exit 1
fi
wait "$app_pid"
status=$?
app_pid=
if [ "$status" -ne 0 ]; then
    echo "FAIL: exit status $status after $signal"
    cat "$work/app.log"
    exit 1
fi
if [ -e "$lock" ]; then
    echo "FAIL: $lock is still there after $signal"
    exit 1
fi
echo "PASS: $signal ended the program with status 0 and removed $lock"
