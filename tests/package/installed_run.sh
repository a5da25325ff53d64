#!/bin/bash
# The installed package in a clean system, as an ordinary user under tools/with_display.sh:
# the first start writes its settings in ~/.config/ziq2, a copy is logged in
# ~/.local/share/ziq2, "ziq2 99" stays in Hit & Run mode, and the text ZIQ2 put on the
# clipboard stays there after it has ended; ziq2-autostart writes and removes the user's entry.
set -euo pipefail

settings=$HOME/.config/ziq2/ziq2.ini
logs=$HOME/.local/share/ziq2

fail() {
    echo "installed_run.sh: $*" >&2
    for log in /tmp/ziq2-*.log; do
        [ -s "$log" ] && sed "s|^|$log: |" "$log" >&2
    done
    exit 1
}

# Generous limits: the machine may be busy.
wait_for() {
    local what=$1
    shift
    for _ in $(seq 600); do
        "$@" >/dev/null 2>&1 && return 0
        sleep 0.1
    done
    fail "no $what within a minute"
}

logged() { grep -rqsF -- "TEXT=$1" "$logs"; }
on_clipboard() { [ "$(xclip -o -selection clipboard)" = "$1" ]; }
ended() { ! kill -0 "$1"; }
copy() { printf '%s' "$1" | xclip -selection clipboard; }

# A real key press to the focused window, as the end-to-end tests send it.
press_return_in() {
    local window
    window=$(xdotool search --onlyvisible --name "$1" | tail -n1)
    xdotool windowactivate --sync "$window" || xdotool windowfocus --sync "$window"
    xdotool key Return
}

# Ends ZIQ2 the way a session does; it shuts down as through the tray menu's Exit.
end_ziq2() {
    kill -TERM "$1"
    wait_for "end of ZIQ2" ended "$1"
}

[ "$(id -u)" -ne 0 ] || fail "run it as an ordinary user"
[ ! -w /usr/lib/ziq2 ] || fail "/usr/lib/ziq2 is writable; the check needs a system-wide install"
cd "$HOME"

ziq2 >/tmp/ziq2-first.log 2>&1 &
first=$!
wait_for "settings file" grep -q '^FIRSTRUN=9' "$settings"
grep -qx "SAVEDFILEPATH=$logs/" "$settings" || fail "the clipboard log is not in $logs: $(cat "$settings")"
grep -qx "linkcatcherSAVEDFILEPATH=$logs/" "$settings" || fail "the link log is not in $logs"
wait_for "welcome message" xdotool search --onlyvisible --name '^ZIQ2$'
press_return_in '^ZIQ2$'

copy "first copy $$"
wait_for "log entry of the first copy" logged "first copy $$"
end_ziq2 "$first"
wait_for "text kept on the clipboard after Exit" on_clipboard "first copy $$"

# Hit & Run on in the file: "99" keeps ZIQ2 running through two copies.
sed -i 's/^HITNRUN=.*/HITNRUN=1/' "$settings"
ziq2 99 >/tmp/ziq2-99.log 2>&1 &
suspended=$!
for n in 1 2; do
    copy "copy $n under 99"
    wait_for "log entry of copy $n under 99" logged "copy $n under 99"
done
kill -0 "$suspended" 2>/dev/null || fail "ziq2 99 ended in Hit & Run mode"
end_ziq2 "$suspended"
wait_for "text kept on the clipboard after the second Exit" on_clipboard "copy 2 under 99"

# Without "99" the same file makes it clean the clipboard once and end by itself.
copy "hit and run"
ziq2 >/tmp/ziq2-hitnrun.log 2>&1 &
wait_for "end of ZIQ2 in Hit & Run mode" ended $!
logged "hit and run" || fail "Hit & Run ended without logging the clipboard"

# Autostart for this user alone, waiting for the tray.
autostart=$HOME/.config/autostart/org.ziq2.ZIQ2.desktop
ziq2-autostart on >/dev/null
grep -qx 'X-KDE-autostart-after=panel' "$autostart" || fail "no autostart entry that waits for the panel"
grep -qx 'Exec=ziq2' "$autostart" || fail "the autostart entry does not start ziq2"
ziq2-autostart off >/dev/null
[ ! -e "$autostart" ] || fail "ziq2-autostart off left $autostart"

echo "installed_run.sh: the installed ZIQ2 passed"
