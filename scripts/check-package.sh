#!/usr/bin/env bash
# Checks the programs as a user gets them: validates the menu entry and the AppStream
# metainfo, builds the two Debian packages, installs both on this machine with apt-get,
# starts the installed /usr/bin/veloris on a virtual X display, waits for its window, ends it
# with its own "Sortie" button, runs the installed veloris-cli (--version, ports), and
# removes both packages again. Needs root (or sudo) for apt-get.
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
        DEBIAN_FRONTEND=noninteractive $sudo apt-get remove -y -qq veloris veloris-cli >/dev/null 2>&1 || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT

scripts/install-deps.sh

step "Validating the desktop entry and the AppStream metainfo"
desktop-file-validate packaging/veloris.desktop
appstreamcli validate --no-net packaging/*.metainfo.xml

step "Building the packages"
package_output="$(timeout 1800 scripts/package.sh)"
echo "$package_output"
deb="$(sed -n 's|^Package: \(.*/veloris_[^/]*\.deb\)$|\1|p' <<<"$package_output")"
cli_deb="$(sed -n 's|^Package: \(.*/veloris-cli_[^/]*\.deb\)$|\1|p' <<<"$package_output")"
[ -f "$deb" ] || fail "no veloris package built"
[ -f "$cli_deb" ] || fail "no veloris-cli package built"

step "Checking the packages' contents"
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
[ ! -e "$work/tree/usr/bin/veloris-cli" ] || fail "the window's package holds veloris-cli"

dpkg-deb -x "$cli_deb" "$work/cli-tree"
for file in usr/bin/veloris-cli usr/share/man/man1/veloris-cli.1.gz \
    usr/share/bash-completion/completions/veloris-cli; do
    [ -f "$work/cli-tree/$file" ] || fail "the veloris-cli package lacks /$file"
done
[ ! -e "$work/cli-tree/usr/bin/veloris" ] || fail "the veloris-cli package holds the window"
cli_depends="$(dpkg-deb -f "$cli_deb" Depends)"
echo "veloris-cli Depends: $cli_depends"
grep -q 'libqt6core6' <<<"$cli_depends" || fail "veloris-cli does not depend on Qt Core"
grep -q 'libqt6serialport6' <<<"$cli_depends" || fail "veloris-cli does not depend on Qt Serial Port"
if grep -Eq 'libqt6(widgets|gui)6' <<<"$cli_depends"; then
    fail "veloris-cli depends on Qt Widgets or Qt Gui: $cli_depends"
fi

step "Installing the packages"
for name in veloris veloris-cli; do
    if dpkg-query -W -f='${Status}' "$name" 2>/dev/null | grep -q "install ok installed"; then
        fail "$name is installed already; remove it first so this check does not remove yours"
    fi
done
installed_by_us=true
(cd "$(dirname "$deb")" &&
    DEBIAN_FRONTEND=noninteractive timeout 600 $sudo apt-get install -y -qq \
        "./$(basename "$deb")" "./$(basename "$cli_deb")")
[ -x /usr/bin/veloris ] || fail "/usr/bin/veloris is missing after installing"
[ -x /usr/bin/veloris-cli ] || fail "/usr/bin/veloris-cli is missing after installing"

step "Running the installed veloris-cli"
# "ports" lists the devices without opening any; no command here opens a port.
(cd "$work" && timeout 30 /usr/bin/veloris-cli --version) | grep -q '^veloris-cli [0-9]' ||
    fail "veloris-cli --version did not print its version"
(cd "$work" && env -u DISPLAY -u WAYLAND_DISPLAY timeout 30 /usr/bin/veloris-cli ports) ||
    fail "veloris-cli ports failed"
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

step "Removing the packages"
DEBIAN_FRONTEND=noninteractive timeout 300 $sudo apt-get remove -y -qq veloris veloris-cli
installed_by_us=false
[ ! -e /usr/bin/veloris ] || fail "/usr/bin/veloris is still there after removing"
[ ! -e /usr/bin/veloris-cli ] || fail "/usr/bin/veloris-cli is still there after removing"

echo "check-package.sh: both packages build, install, run and remove cleanly"
