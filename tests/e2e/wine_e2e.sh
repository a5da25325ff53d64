#!/usr/bin/env bash
# End to end under Wine: the ZIQ2.exe unpacked from the Windows zip, on the X display of
# tools/with_display.sh (openbox, trayer), with xclip as the other program.
# usage: wine_e2e.sh ZIP SECRET_OWNER   (WINEPREFIX set; run by tools/windows_check.sh, with a
# tray of fixed width: ZIQ_TRAY_WIDTH in tools/with_display.sh)
# SECRET_OWNER is tests/e2e/helpers/secret_clipboard_owner.cpp built for Windows.
set -euo pipefail
zip=$(realpath "$1")
secret_owner=$(realpath "${2:?usage: wine_e2e.sh ZIP SECRET_OWNER}")
work=$(mktemp -d)
pid=""
cleanup() {
    [ -n "$pid" ] && kill "$pid" 2>/dev/null || true
    exec 7>&- || true
    wineserver -k 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
failures=0

# Polls until the command succeeds; generous, the machine may be busy.
wait_for() {
    local _
    for _ in $(seq 300); do
        "$@" && return 0
        sleep 0.1
    done
    return 1
}
check() { # description, command...
    local what=$1
    shift
    if wait_for "$@"; then echo "ok   $what"; else echo "FAIL $what"; failures=$((failures + 1)); fi
}
visible_box() { xdotool search --onlyvisible --classname '^ziq2.exe$' >/dev/null 2>&1; }
answer_box() { # presses Return in the program's box, focused first where it is not
    local box
    box=$(xdotool search --onlyvisible --classname '^ziq2.exe$' 2>/dev/null | tail -n1) || true
    [ -n "$box" ] && xdotool windowactivate --sync "$box" >/dev/null 2>&1 || true
    xdotool key Return
}
# True once no box of the program is left; answers the box it finds. A key can go astray
# while the window manager is still handing the focus over, so this is asked again.
box_answered() {
    visible_box || return 0
    answer_box
    sleep 0.3
    ! visible_box
}
# Wine's explorer.exe draws the tray icon in the window that trayer embeds (its parent is
# not the root); the program's menu is its pop-up.
icon() {
    local window
    for window in $(xdotool search --onlyvisible --classname '^explorer.exe$' 2>/dev/null); do
        xwininfo -id "$window" -tree | grep -q 'Parent window id: .*(the root window)' ||
            { echo "$window" && return 0; }
    done
    return 1
}
docked() { icon >/dev/null; }
popup_of() { # a visible override-redirect window of program $1 other than the icon
    local window
    for window in $(xdotool search --onlyvisible --classname "^$1\$" 2>/dev/null); do
        [ "$window" != "$(icon)" ] && xwininfo -id "$window" | grep -q 'Override Redirect State: yes' &&
            return 0
    done
    return 1
}
menu_shown() { popup_of ziq2.exe; }
menu_closed() { ! menu_shown; }
# Keys reach the menu once the X focus is on a window of the program.
focused() { xprop -id "$(xdotool getwindowfocus)" WM_CLASS 2>/dev/null | grep -q '"ziq2.exe"'; }
shown() { # the id of a visible window whose caption matches
    local window
    window=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n1)
    [ -n "$window" ] && echo "$window"
}
visible() { shown "$1" >/dev/null; }
# Clicks on the icon with button $1, $2 times.
click_icon() { xdotool mousemove --window "$(icon)" 6 6 click --repeat "${2:-1}" --delay 80 "$1"; }
# Windows keeps the clipboard with the session; under Wine the session ends with its last
# program, so a Windows program stays running beside ZIQ2, as a desktop's shell does.
keep_session() {
    rm -f "$work/session" && mkfifo "$work/session"
    wine cmd <"$work/session" >/dev/null 2>&1 &
    exec 7>"$work/session"
}
ended() { ! kill -0 "$pid" 2>/dev/null; }
session=$(ps -o sid= -p $$ | tr -d ' ')
xclip_gone() { ! pgrep -x -s "$session" xclip >/dev/null; } # it has lost the clipboard to us
rewritten() { timeout 3 xclip -selection clipboard -o -t TARGETS 2>/dev/null | grep -q Wine; }
holds() { [ "$(timeout 3 xclip -selection clipboard -o 2>/dev/null)" = "$1" ]; }
left_text() { ended && holds "$1"; } # the program has ended, and its text is there
file_has() { grep -qs -- "$2" "$dir"/$1; } # a file name or a pattern
crlf_only() { [ -s "$dir/$1" ] && ! grep -q $'[^\r]$' "$dir/$1"; }
start() {
    (cd "$dir" && exec wine ZIQ2.exe "$@" >/dev/null 2>&1) &
    pid=$!
}
copy() { printf '%s' "$1" | xclip -selection clipboard "${@:2}"; }

fresh() {
    wineserver -k 2>/dev/null || true
    dir=$work/$1
    mkdir -p "$dir"
    (cd "$dir" && cmake -E tar xf "$zip")
    dir=$(echo "$dir"/ZIQ2-*-windows-x64)
}
settings() { # the defaults, initialised, with KEY=VALUE of [ZIQ] changed
    {
        printf '[ZIQ]\r\nFIRSTRUN=9\r\nON=1\r\nBEEPON=0\r\nFREQUENCY=1\r\nAUTOSAVE=1\r\n'
        printf 'SAVETYPE=1\r\nSAVEDFILEPATH=%s\\\r\nHITNRUN=%s\r\nAUTOOOPENVIEWERS=0\r\n' \
            "$(winepath -w "$dir")" "${1:-0}"
        printf '[LINKCATCHER]\r\nON=1\r\nSTRICTURLS=1\r\nAUTOSAVE=1\r\nSAVETYPE=1\r\n'
        printf 'linkcatcherSAVEDFILEPATH=%s\\\r\n' "$(winepath -w "$dir")"
    } >"$dir/ziq2.ini"
}

# First start: the welcome box, then ziq2.ini with CRLF and the defaults.
fresh first
start
check "first start greets" visible_box
check "the welcome box is answered" box_answered
check "ziq2.ini written with CRLF" crlf_only ziq2.ini
check "ziq2.ini holds the defaults" file_has ziq2.ini 'FIRSTRUN=9'
check "the icon docks in the tray" docked

# Capture: a copy is logged and rewritten by ZIQ2; a link reaches the link log.
copy "plain from xclip"
check "a copy is logged" file_has '2*.txt' 'TEXT=plain from xclip'
check "the clipboard is rewritten" rewritten
copy "http://example.org/wine"
check "a link reaches the link log" file_has 'u2*.txt' 'http://example.org/wine'

# Single instance: a second copy shows its box and ends; the first runs on.
first=$pid
start
check "a second copy says so" visible_box
check "its box is answered" box_answered
check "the second copy ends" ended
pid=$first
check "the first copy runs on" kill -0 "$pid"

# Tray: a right click opens the menu, a double click the Options window and the menu. The
# menu's seventh item is Cancel, its eighth (Down eight times) and its last (Up) are Exit:
# eight items. Exit ends the program and leaves its text on the clipboard.
keep_session
click_icon 3
check "a right click opens the menu" menu_shown
check "the menu has the keyboard" focused
xdotool key Down Down Down Down Down Down Down Return
check "the menu's seventh item, Cancel, closes it" menu_closed
check "after Cancel the program runs on" kill -0 "$pid"
click_icon 3
check "a right click opens the menu again" menu_shown
check "the menu has the keyboard again" focused
xdotool key Down Down Down Down Down Down Down Down Return
check "the menu's eighth item, Exit, ends the program" ended
check "after Exit the text is still on the clipboard" left_text "http://example.org/wine"
copy "before the last item"
start
check "started again, the icon docks" docked
check "started again, it captures" file_has '2*.txt' 'TEXT=before the last item'
check "started again, it took the clipboard" xclip_gone
click_icon 1 2
check "a double click opens the Options window" visible '^ZIQ Options$'
check "a double click opens the menu too" menu_shown
check "the menu has the keyboard once more" focused
xdotool key Up Return
check "the menu's last item is Exit too: eight items" ended
check "after that Exit the text is still on the clipboard" left_text "before the last item"
pid=""

# Hit and run: the text is captured and rewritten, the program ends, and the text stays.
for run in 1 2 3; do
    fresh "hit$run"
    keep_session
    settings 1
    copy "hit and run $run"
    start
    check "hit and run $run ends" ended
    check "hit and run $run logged" file_has ziq.txt "TEXT=hit and run $run"
    check "hit and run $run took the clipboard" xclip_gone
    check "hit and run $run left the text on the clipboard" left_text "hit and run $run"
done

# "99" keeps it running in hit-and-run mode.
fresh ninetynine
settings 1
copy "kept running"
start 99
check "99: captured" file_has ziq.txt 'TEXT=kept running'
check "99: still running" kill -0 "$pid"

# Windows' own: secret content, the Options window, its folder browser, About and the help.
not() { ! "$@" >/dev/null; }
wait_for_briefly() { # wait_for for a few seconds, for what is tried again when it fails
    local _
    for _ in $(seq 30); do
        "$@" && return 0
        sleep 0.1
    done
    return 1
}
click_twips() { # window, the form's height in twips, a control's left top width height
    local height
    height=$(xdotool getwindowgeometry --shell "$1" 2>/dev/null | sed -n 's/^HEIGHT=//p') || true
    [ -n "$height" ] || return 0 # gone: the checks after it tell
    xdotool mousemove --window "$1" $(((2 * $3 + $5) * height / (2 * $2))) \
        $(((2 * $4 + $6) * height / (2 * $2))) click 1
}
key_in() { # window, keys: real key events to the window, focused first
    xdotool windowactivate --sync "$1" >/dev/null 2>&1 || true
    xdotool key "${@:2}"
}
# The tray menu opens with the Options window; Esc closes it.
menu_dismissed() {
    visible '^ZIQ2$' || return 0
    xdotool key Escape
    wait_for_briefly not visible '^ZIQ2$'
}
# Double clicks the docked icon until the Options window shows, every twentieth time it is
# asked: Wine now and then drops a tray click, and a user would click again.
asked=0
options=""
options_opened() {
    if ! visible '^ZIQ Options$'; then
        asked=$((asked + 1))
        [ $((asked % 20)) -ne 1 ] || ! docked || click_icon 1 2
        return 1
    fi
    asked=0
    wait_for menu_dismissed && options=$(shown '^ZIQ Options$')
}
in_ini() { grep -q -- "$1" "$dir/ziq2.ini"; }

fresh windows
settings
start
check "windows: the icon docks in the panel" docked

# Secrets: the owner tells when ZIQ2 looked and whether it lost the clipboard; the copy after
# it proves the looks. (Whether the text itself was read it says too; a copy that lands while
# ZIQ2 reads may be read, though never logged.)
for mode in exclude history0; do
    out=$work/secret-$mode.txt
    wine "$secret_owner" "$mode" "secret $mode" >"$out" 2>/dev/null &
    check "secret $mode: on the clipboard" grep -qs ready "$out"
    check "secret $mode: looked at" grep -q examined "$out"
    check "secret $mode: not rewritten" not grep -q lost "$out"
    copy "after $mode"
    check "secret $mode: the next copy is logged" file_has ziq.txt "TEXT=after $mode"
    check "secret $mode: not logged" not file_has ziq.txt "secret $mode"
done

# Options: "3 Medium" saved; Option1 stays in place whatever the font, the others move.
check "options: the window opens" options_opened
xdotool windowactivate --sync "$options" >/dev/null 2>&1 || true
click_twips "$options" 8115 120 1080 1215 495
key_in "$options" Right Right alt+s
check "options: saved and closed" not visible '^ZIQ Options$'
check "options: the new frequency saved" in_ini $'^FREQUENCY=3\r$'
check "options: ziq2.ini keeps CRLF" crlf_only ziq2.ini

# About: the system information tool is the one the (Wine) registry names. Stock Wine names
# none, and ZIQ2 says so; its box's text, copied with Ctrl+C, is captured like any copy.
msinfo='HKLM\SOFTWARE\Microsoft\Shared Tools\MSINFO'
tool='C:\windows\system32\msinfo32.exe'
tool_started() { pgrep -i -x "${tool##*\\}" >/dev/null; }
registry_path() { wine reg query "$msinfo" /v PATH 2>/dev/null | sed -n 's/^ *PATH *REG_SZ *//p' | tr -d '\r'; }
wine reg delete "$msinfo" /v PATH /f >/dev/null 2>&1 || true # as stock Wine has it
check "about: options open" options_opened
key_in "$options" alt+a
check "about: the window opens" visible '^About ZIQ2$'
check "about: the registry names no tool" test -z "$(registry_path)"
key_in "$(shown '^About ZIQ2$')" alt+s
check "about: no tool, ZIQ2 says so" visible '^ZIQ2$'
key_in "$(shown '^ZIQ2$')" ctrl+c
check "about: the box tells it" file_has ziq.txt 'System Information Is Unavailable At This Time'
key_in "$(shown '^ZIQ2$')" Return
check "about: its box is answered" not visible '^ZIQ2$'
check "about: no tool started yet" not tool_started
wine reg add "$msinfo" /v PATH /d "$tool" /f >/dev/null 2>&1
check "about: the registry names the tool" test "$(registry_path)" = "$tool"
key_in "$(shown '^About ZIQ2$')" alt+s
check "about: starts the tool the registry names" tool_started
click_twips "$(shown '^About ZIQ2$')" 4215 4245 2745 1260 345 # OK: the tool has the focus
check "about: OK closes it" not visible '^About ZIQ2$'
wine reg delete "$msinfo" /v PATH /f >/dev/null 2>&1 || true

# Help: Notepad shows the help text.
check "help: options open" options_opened
click_twips "$options" 8115 240 7440 1215 495
check "help: Notepad shows ziqhelp.txt" visible 'ziqhelp.txt.*Notepad'
click_twips "$options" 8115 3240 7440 1335 495 # Cancel: Notepad has the focus
check "help: options closed" not visible '^ZIQ Options$'

# The folder browser lists every drive Wine has: each one typed in its drive list is saved.
# The last drive (Z: under Wine) stays the log folder: nothing is copied after this.
for drive in $(ls "$WINEPREFIX/dosdevices" | grep -x '[a-z]:' | sort); do
    letter=${drive%:}
    check "drive $drive: options open" options_opened
    click_twips "$options" 8115 120 2160 615 615
    check "drive $drive: the folder browser opens" visible '^ZIQ Browse for File or Directory$'
    key_in "$(shown '^ZIQ Browse for File or Directory$')" "${letter^^}" alt+o
    check "drive $drive: the browser closes" not visible '^ZIQ Browse for File or Directory$'
    key_in "$options" alt+s
    check "drive $drive: options saved and closed" not visible '^ZIQ Options$'
    check "drive $drive: chosen and saved" in_ini "^SAVEDFILEPATH=${letter^^}:\\\\"$'\r$'
done

echo "wine end to end: $failures failed"
[ "$failures" -eq 0 ]
