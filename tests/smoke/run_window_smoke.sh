#!/usr/bin/env bash
# Starts the real program on a private Xvfb display, waits for its window, clicks
# "Sortie" and expects the program to end with status 0 within a few seconds.
# Usage: run_window_smoke.sh path/to/veloris
# Exit 77 (skipped) when Xvfb or xdotool is missing.

set -u

program=${1:?usage: run_window_smoke.sh path/to/veloris}
caption="Electronic VELORIS interface - V1.1"
# CmdExit spans 6720..7695 x 4680..5175 twips: its centre in pixels of the client area.
exit_x=480
exit_y=328
window_timeout_s=15
exit_timeout_s=5

for tool in Xvfb xdotool; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "SKIP: $tool not installed"
        exit 77
    fi
done

work=$(mktemp -d)
xvfb_pid=
app_pid=
cleanup() {
    if [ -n "$app_pid" ] && kill -0 "$app_pid" 2>/dev/null; then
        kill "$app_pid" 2>/dev/null
        wait "$app_pid" 2>/dev/null
    fi
    if [ -n "$xvfb_pid" ] && kill -0 "$xvfb_pid" 2>/dev/null; then
        kill "$xvfb_pid" 2>/dev/null
        wait "$xvfb_pid" 2>/dev/null
    fi
    rm -rf "$work"
}
trap cleanup EXIT

# Xvfb picks a free display itself and writes its number to the given descriptor.
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
    cat "$work/xvfb.log"
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
echo "window $window on $DISPLAY"
xdotool getwindowgeometry "$window"

# No window manager: the client area starts at the window's position.
xdotool mousemove --window "$window" "$exit_x" "$exit_y" click 1

for _ in $(seq $((exit_timeout_s * 10))); do
    kill -0 "$app_pid" 2>/dev/null || break
    sleep 0.1
done
if kill -0 "$app_pid" 2>/dev/null; then
    echo "FAIL: still running ${exit_timeout_s}s after the click on \"Sortie\""
    exit 1
fi
wait "$app_pid"
status=$?
app_pid=
if [ "$status" -ne 0 ]; then
    echo "FAIL: exit status $status"
    cat "$work/app.log"
    exit 1
fi
echo "PASS: \"Sortie\" ended the program with status 0"
