#!/usr/bin/env bash
# Runs a command inside a private X server (Xvfb) with a tray host (trayer), then stops both.
set -euo pipefail

fifo=$(mktemp -u)
mkfifo "$fifo"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
xvfb=$!
read -r display <"$fifo"
rm -f "$fifo"
export DISPLAY=":$display"
trayer --edge top --align right --widthtype request --height 32 --SetDockType true \
    --transparent false >/dev/null 2>&1 &
tray=$!
cleanup() {
    kill "$tray" "$xvfb" 2>/dev/null || true
    wait "$tray" "$xvfb" 2>/dev/null || true
}
trap cleanup EXIT
# The tray host owns the system tray selection once it is up.
for _ in $(seq 50); do
    xprop -root _NET_SUPPORTING_WM_CHECK >/dev/null 2>&1 || true
    if xdotool search --class trayer >/dev/null 2>&1; then break; fi
    sleep 0.1
done
"$@"
