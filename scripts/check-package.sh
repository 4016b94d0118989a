#!/usr/bin/env bash
# Checks the program as a user gets it: validates the menu entry and the AppStream
# metainfo, builds the Debian package, installs it on this machine with apt-get, starts the
# installed /usr/bin/veloris on a virtual X display, waits for its window, ends it with its
# own "Sortie" button, and removes the package again. Needs root (or sudo) for apt-get.
# Every step is bounded in time; any failure ends the script with a non-zero status.
set -euo pipefail
cd "$(dirname "$0")/.."
root="$PWD"

readonly caption="Electronic VELORIS interface - V1.1"
readonly window_wait_seconds=30
readonly exit_wait_seconds=10
# "Sortie" in the window's own twips: left 6720, top 4680, 975 x 495, in a 7830 x 5205
# client area. Its centre, as a share of the client area, survives any scaling.
readonly sortie_centre_x_twips=$((6720 + 975 / 2))
readonly sortie_centre_y_twips=$((4680 + 495 / 2))
readonly client_width_twips=7830
readonly client_height_twips=5205

sudo=""
if [ "$(id -u)" -ne 0 ]; then
    sudo="sudo"
fi

step() { echo "== $*"; }
fail() {
    echo "check-package.sh: $*" >&2
    exit 1
}

work="$(mktemp -d)"
xvfb_pid=""
app_pid=""
installed_by_us=false
cleanup() {
    if [ -n "$app_pid" ] && kill -0 "$app_pid" 2>/dev/null; then
        kill -TERM "$app_pid" 2>/dev/null || true
    fi
    if [ -n "$xvfb_pid" ] && kill -0 "$xvfb_pid" 2>/dev/null; then
        kill -TERM "$xvfb_pid" 2>/dev/null || true
    fi
    if $installed_by_us; then
        DEBIAN_FRONTEND=noninteractive $sudo apt-get remove -y -qq veloris >/dev/null 2>&1 || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT

scripts/install-deps.sh

step "Validating the desktop entry and the AppStream metainfo"
desktop-file-validate packaging/veloris.desktop
appstreamcli validate --no-net packaging/*.metainfo.xml

step "Building the package"
package_output="$(timeout 1800 scripts/package.sh)"
echo "$package_output"
deb="$(sed -n 's/^Package: //p' <<<"$package_output")"
[ -f "$deb" ] || fail "no package built"

step "Checking the package's contents"
dpkg-deb -x "$deb" "$work/tree"
for file in usr/bin/veloris usr/share/applications/veloris.desktop \
    usr/share/icons/hicolor/scalable/apps/veloris.svg; do
    [ -f "$work/tree/$file" ] || fail "the package lacks /$file"
done
[ ! -e "$work/tree/usr/bin/veloris-demo" ] || fail "the demo is in the package; it is opt-in"
# The metainfo, its launchable desktop entry and its binary, as they will lie on disk.
appstreamcli validate-tree --no-net "$work/tree"
dpkg-deb -f "$deb" Depends | grep -q 'libqt6widgets6' ||
    fail "dpkg-shlibdeps found no Qt dependency"

step "Installing the package"
if dpkg-query -W -f='${Status}' veloris 2>/dev/null | grep -q "install ok installed"; then
    fail "veloris is installed already; remove it first so this check does not remove yours"
fi
installed_by_us=true
(cd "$(dirname "$deb")" &&
    DEBIAN_FRONTEND=noninteractive timeout 600 $sudo apt-get install -y -qq "./$(basename "$deb")")
[ -x /usr/bin/veloris ] || fail "/usr/bin/veloris is missing after installing"
desktop-file-validate /usr/share/applications/veloris.desktop

step "Starting the installed program under Xvfb"
# Xvfb picks a free display itself and writes its number once it is ready for clients.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do
    [ -s "$work/display" ] && break
    kill -0 "$xvfb_pid" 2>/dev/null || break
    sleep 0.1
done
[ -s "$work/display" ] || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
display_number="$(tr -dc 0-9 <"$work/display")"
export DISPLAY=":$display_number"
unset WAYLAND_DISPLAY
export QT_QPA_PLATFORM=xcb

# The program has no command line: arguments that are not the toolkit's are ignored, so it
# must open its window as usual and print nothing.
(cd "$work" && exec /usr/bin/veloris --help --version >"$work/stdout" 2>"$work/stderr") &
app_pid=$!
window_id="$(timeout "$window_wait_seconds" \
    xdotool search --sync --onlyvisible --name "^${caption//./\\.}\$" | head -n 1)" ||
    fail "no window captioned \"$caption\" within ${window_wait_seconds} s; stderr: $(cat "$work/stderr")"
kill -0 "$app_pid" 2>/dev/null || fail "the program ended on its own"
[ ! -s "$work/stdout" ] || fail "the program printed: $(cat "$work/stdout")"
# The menu entry's StartupWMClass ties the window to the entry and its icon.
xprop -id "$window_id" WM_CLASS | grep -q '"veloris"' ||
    fail "window class is not veloris: $(xprop -id "$window_id" WM_CLASS)"
eval "$(xdotool getwindowgeometry --shell "$window_id")"
echo "Window $window_id: ${WIDTH}x${HEIGHT}"
if command -v import >/dev/null; then
    sleep 1
    import -display "$DISPLAY" -window root "$root/build-package/installed-window.png" &&
        echo "Screenshot: $root/build-package/installed-window.png"
fi

step "Ending it with \"Sortie\""
click_x=$((WIDTH * sortie_centre_x_twips / client_width_twips))
click_y=$((HEIGHT * sortie_centre_y_twips / client_height_twips))
xdotool mousemove --window "$window_id" "$click_x" "$click_y" click 1
status=0
for _ in $(seq $((exit_wait_seconds * 10))); do
    kill -0 "$app_pid" 2>/dev/null || break
    sleep 0.1
done
kill -0 "$app_pid" 2>/dev/null && fail "the program did not end within ${exit_wait_seconds} s of \"Sortie\""
wait "$app_pid" || status=$?
app_pid=""
[ "$status" -eq 0 ] || fail "the program ended with status $status"

step "Removing the package"
DEBIAN_FRONTEND=noninteractive timeout 300 $sudo apt-get remove -y -qq veloris
installed_by_us=false
[ ! -e /usr/bin/veloris ] || fail "/usr/bin/veloris is still there after removing"

echo "check-package.sh: the package builds, installs, runs and removes cleanly"
