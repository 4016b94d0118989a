# Sourced by the smoke tests: a private Xvfb display for the program under test, and the
# clean-up of both whatever way the test ends. The caller sets app_pid once it has started
# the program; `start_xvfb` sets DISPLAY and XDG_RUNTIME_DIR, and `work` is a scratch folder.
# Exits 77 (skipped) when Xvfb or xdotool is missing.

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

start_xvfb() {
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
}

# Waits up to $2 seconds for a visible window whose caption matches the regular expression
# $1, and prints its id; fails the test when none shows.
find_window() {
    local window
    window=$(timeout "$2" xdotool search --sync --onlyvisible --name "$1" | head -n1)
    if [ -z "$window" ]; then
        echo "FAIL: no window captioned \"$1\" within $2 s" >&2
        cat "$work/app.log" >&2
        exit 1
    fi
    echo "$window"
}

# Waits up to $1 seconds for the program to end; fails the test when it does not.
wait_for_exit() {
    for _ in $(seq $(($1 * 10))); do
        kill -0 "$app_pid" 2>/dev/null || break
        sleep 0.1
    done
    if kill -0 "$app_pid" 2>/dev/null; then
        echo "FAIL: still running $1 s after $2"
        exit 1
    fi
    wait "$app_pid"
    status=$?
    app_pid=
}
