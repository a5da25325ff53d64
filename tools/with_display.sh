#!/usr/bin/env bash
# Runs a command inside a private X server (Xvfb) with a window manager (openbox) and a tray
# host (trayer), then stops all three. Every desktop has a window manager, so windows get
# frames, focus and stacking as users see them. The command starts only once the tray host
# has its panel up, so a program started first thing docks its icon at once.
set -euo pipefail

fifo=$(mktemp -u)
mkfifo "$fifo"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
xvfb=$!
read -r display <"$fifo"
rm -f "$fifo"
export DISPLAY=":$display"

wm=""
tray=""
cleanup() {
    [ -n "$tray" ] && kill "$tray" 2>/dev/null || true
    [ -n "$wm" ] && kill "$wm" 2>/dev/null || true
    kill "$xvfb" 2>/dev/null || true
    wait 2>/dev/null || true
}
trap cleanup EXIT

# Waits until `$1` (a command) succeeds while process `$2` lives. Generous: the machine may be
# busy building.
wait_until_ready() {
    for _ in $(seq 300); do
        "$1" && return 0
        kill -0 "$2" 2>/dev/null || return 1
        sleep 0.1
    done
    return 1
}

# A window manager announces itself on the root window once it manages the screen.
wm_ready() {
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'
}

start_wm() {
    openbox --sm-disable >/dev/null 2>&1 &
    wm=$!
    wait_until_ready wm_ready "$wm"
}
if ! start_wm; then
    [ -n "$wm" ] && kill "$wm" 2>/dev/null || true
    start_wm || echo "with_display.sh: the window manager did not come up on $DISPLAY" >&2
fi

# trayer maps its panel once its tray is set up.
tray_ready() {
    local panel
    panel=$(xdotool search --classname '^panel$' 2>/dev/null | head -n1) || return 1
    [ -n "$panel" ] && xwininfo -id "$panel" 2>/dev/null | grep -q 'IsViewable'
}

# ZIQ_TRAY_WIDTH (pixels) gives the panel a fixed width instead of one that grows with its
# icons: Wine takes in where an icon's panel is only when the icon docks, so a panel that
# then grows and moves leaves Wine's icon where no click reaches it.
start_tray() {
    local width=(--widthtype request)
    [ -n "${ZIQ_TRAY_WIDTH:-}" ] && width=(--widthtype pixel --width "$ZIQ_TRAY_WIDTH")
    trayer --edge top --align right "${width[@]}" --height 32 --SetDockType true \
        --transparent false >/dev/null 2>&1 &
    tray=$!
    wait_until_ready tray_ready "$tray"
}

if ! start_tray; then
    # One more try before giving up on the tray; tests that need it will say so.
    [ -n "$tray" ] && kill "$tray" 2>/dev/null || true
    start_tray || echo "with_display.sh: the tray host did not come up on $DISPLAY" >&2
fi
"$@"
