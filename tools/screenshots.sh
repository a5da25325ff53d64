#!/usr/bin/env bash
# Takes the README's pictures again: starts the real ZIQ2 in a private X server with a tray
# host (tools/with_display.sh), opens its tray menu and its Options window with xdotool, and
# saves docs/tray-menu.png and docs/options-window.png (ImageMagick's import).
#
#   tools/screenshots.sh              build ZIQ2 (tools/build.sh) and use build/ZIQ2
#   tools/screenshots.sh BUILD_DIR    use the ZIQ2 already built in BUILD_DIR
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)

fail() {
    echo "screenshots.sh: $*" >&2
    exit 1
}

if [ -z "${ZIQ2_SCREENSHOT_BUILD:-}" ]; then
    "$repo/tools/deps.sh" imagemagick
    if [ $# -ge 1 ]; then
        build=$(cd "$1" 2>/dev/null && pwd) || fail "no such folder: $1"
    else
        "$repo/tools/build.sh"
        build="$repo/build"
    fi
    [ -x "$build/ZIQ2" ] || fail "no ZIQ2 program in $build"
    ZIQ2_SCREENSHOT_BUILD="$build" exec "$repo/tools/with_display.sh" "$0"
fi

# From here on inside the private X server.
build=$ZIQ2_SCREENSHOT_BUILD
work=$(mktemp -d)
pid=""
cleanup() {
    if [ -n "$pid" ]; then
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    fi
    rm -rf -- "$work"
}
trap cleanup EXIT

# A program folder of its own with settings already made, so no welcome message. The
# private X server's clipboard is empty, so watching it changes nothing.
cp -- "$build/ZIQ2" "$build/ziqhelp.txt" "$work/"
cat >"$work/ziq2.ini" <<EOF
[ZIQ]
ON=1
BEEPON=1
AUTOOOPENVIEWERS=0
FREQUENCY=1
AUTOSAVE=1
SAVETYPE=3
SAVEDFILEPATH=$work/
HITNRUN=0
FIRSTRUN=9
[LINKCATCHER]
ON=1
STRICTURLS=1
AUTOSAVE=1
SAVETYPE=2
linkcatcherSAVEDFILEPATH=$work/
EOF

"$work/ZIQ2" 2>/dev/null &
pid=$!

# Polls a command for up to ten seconds.
wait_for() {
    local _
    for _ in $(seq 100); do
        "$@" && return 0
        sleep 0.1
    done
    return 1
}

# The window the tray host embedded: its parent is not the root window, and the window
# manager leaves it alone.
tray_icon() {
    local window
    for window in $(xdotool search --onlyvisible --pid "$pid" 2>/dev/null); do
        if ! xwininfo -id "$window" -tree | grep -q 'Parent window id:.*(the root window)' &&
            xwininfo -id "$window" | grep -q 'Override Redirect State: yes'; then
            echo "$window"
            return 0
        fi
    done
    return 1
}

# The tray menu: the program's one window that the window manager is told to leave alone.
tray_menu() {
    local window
    for window in $(xdotool search --onlyvisible --pid "$pid" 2>/dev/null); do
        if [ "$window" != "$icon" ] &&
            xwininfo -id "$window" | grep -q 'Override Redirect State: yes'; then
            echo "$window"
            return 0
        fi
    done
    return 1
}

options_window() {
    xdotool search --onlyvisible --name '^ZIQ Options$' 2>/dev/null | head -n1 | grep .
}

# Sets X, Y, WIDTH and HEIGHT to a window's place on the screen, inside its frame. (xdotool's
# geometry counts a window manager's frame offset twice.)
geometry() {
    local info
    info=$(xwininfo -id "$1")
    X=$(awk '/Absolute upper-left X:/ {print $4}' <<<"$info")
    Y=$(awk '/Absolute upper-left Y:/ {print $4}' <<<"$info")
    WIDTH=$(awk '$1 == "Width:" {print $2}' <<<"$info")
    HEIGHT=$(awk '$1 == "Height:" {print $2}' <<<"$info")
}

# Saves a part of the screen, kept inside the screen's edges.
capture() {
    local file=$1 left=$2 top=$3 right=$4 bottom=$5 screen_w screen_h
    read -r screen_w screen_h < <(xdotool getdisplaygeometry)
    ((left < 0)) && left=0
    ((top < 0)) && top=0
    ((right > screen_w)) && right=$screen_w
    ((bottom > screen_h)) && bottom=$screen_h
    import -window root -crop "$((right - left))x$((bottom - top))+$left+$top" +repage \
        "$repo/docs/$file"
    echo "Saved docs/$file"
}

open_menu() {
    # At the icon's lower edge, so that the menu opens below the icon, not over it.
    geometry "$icon"
    xdotool mousemove --window "$icon" 1 $((HEIGHT - 1)) click 3
    wait_for tray_menu >/dev/null || fail "the tray menu did not open"
    menu=$(tray_menu)
    sleep 0.5 # let it finish drawing
}

mkdir -p "$repo/docs"
wait_for tray_icon >/dev/null || fail "ZIQ2 did not show its tray icon"
icon=$(tray_icon)

open_menu
geometry "$icon"
icon_left=$X
geometry "$menu"
menu_left=$X menu_bottom=$((Y + HEIGHT))
left=$((icon_left < menu_left ? icon_left : menu_left))
capture tray-menu.png $((left - 24)) 0 100000 $((menu_bottom + 24))

# "Options" is the fifth of the menu's eight items of equal height.
xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT * 9 / 16)) click 1
wait_for options_window >/dev/null || fail "the Options window did not open"
options=$(options_window)
sleep 0.5
geometry "$options"
capture options-window.png "$X" "$Y" $((X + WIDTH)) $((Y + HEIGHT))
