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

if [ ! -w "$lock_dir" ]; then
    echo "SKIP: $lock_dir is not writable"
    exit 77
fi

. "$(dirname "$0")/xvfb_session.sh"
start_xvfb

"$program" >"$work/app.log" 2>&1 &
app_pid=$!

window=$(find_window "^${caption}\$" "$window_timeout_s") || exit 1
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

wait_for_exit "$exit_timeout_s" "$signal"
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
