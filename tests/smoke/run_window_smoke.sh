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

. "$(dirname "$0")/xvfb_session.sh"
start_xvfb

"$program" >"$work/app.log" 2>&1 &
app_pid=$!

window=$(find_window "^${caption}\$" "$window_timeout_s") || exit 1
echo "window $window on $DISPLAY"
xdotool getwindowgeometry "$window"

# No window manager: the client area starts at the window's position.
xdotool mousemove --window "$window" "$exit_x" "$exit_y" click 1

wait_for_exit "$exit_timeout_s" "the click on \"Sortie\""
if [ "$status" -ne 0 ]; then
    echo "FAIL: exit status $status"
    cat "$work/app.log"
    exit 1
fi
echo "PASS: \"Sortie\" ended the program with status 0"
