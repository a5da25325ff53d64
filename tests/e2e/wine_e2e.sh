#!/usr/bin/env bash
# End to end under Wine: the ZIQ2.exe unpacked from the Windows zip, on the X display of
# tools/with_display.sh (openbox, trayer), with xclip as the other program.
# usage: wine_e2e.sh ZIP SECRET_OWNER   (WINEPREFIX set; run by tools/windows_check.sh, with a
# tray of fixed width: ZIQ_TRAY_WIDTH in tools/with_display.sh)
# SECRET_OWNER is tests/e2e/helpers/secret_clipboard_owner.cpp built for Windows; the other
# helpers built for Windows are found beside it.
set -euo pipefail
zip=$(realpath "$1")
secret_owner=$(realpath "${2:?usage: wine_e2e.sh ZIP SECRET_OWNER}")
work=$(mktemp -d)
pid=""
cleanup() {
    [ -n "$pid" ] && kill "$pid" 2>/dev/null || true
    windows_seams_cleanup
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
rewritten() { xclip_gone && holds "$1"; } # ZIQ2 took the clipboard from xclip, with this text
offers() { timeout 3 xclip -selection clipboard -o -t TARGETS 2>/dev/null | grep -qx -- "$1"; }
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
    dir=$dir/ZIQ2
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
check "the clipboard is rewritten" rewritten "plain from xclip"
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

# Hand-made and busy settings files: one in the ANSI code page (cmd's echo) and one in UTF-16
# (Notepad's "Unicode") name a folder "M\xfcller"; both are read, and the capture is logged there.
# Then ziq2.ini is held without sharing at start-up, as antivirus does, until half a second
# after the icon docked: ZIQ2 waits for it, greets no one and keeps the user's values.
holder=$(dirname "$secret_owner")/ziq2-test-file-holder.exe
muller=$'M\xc3\xbcller'
ini_naming() { # the settings, UTF-8, with the clipboard log in that folder
    local content folder
    settings
    content=$(<"$dir/ziq2.ini")
    folder="$(winepath -w "$dir")\\"
    printf '%s\n' "${content/"SAVEDFILEPATH=$folder"/"SAVEDFILEPATH=$folder$muller\\"}"
}
no_box() { ! visible_box; }
for encoding in ansi utf16; do
    fresh "$encoding"
    mkdir "$dir/$muller"
    case $encoding in
    ansi) ini_naming | iconv -f UTF-8 -t CP1252 >"$dir/ziq2.ini.new" ;;
    utf16) { printf '\xff\xfe' && ini_naming | iconv -f UTF-8 -t UTF-16LE; } >"$dir/ziq2.ini.new" ;;
    esac
    mv "$dir/ziq2.ini.new" "$dir/ziq2.ini"
    copy "into the $encoding folder"
    start
    check "$encoding ziq2.ini: captured into its folder" file_has "$muller/ziq.txt" "TEXT=into the $encoding folder"
    check "$encoding ziq2.ini: no box" no_box
done

fresh held
settings
cp "$dir/ziq2.ini" "$work/held.ini"
rm -f "$work/release" && mkfifo "$work/release"
wine "$holder" "$(winepath -w "$dir/ziq2.ini")" 500 <"$work/release" >"$work/holder.txt" 2>&1 &
exec 8>"$work/release"
check "held: ziq2.ini is held" grep -qs held "$work/holder.txt"
copy "after the hold"
start
check "held: the icon docks" docked
echo go >&8
check "held: ziq2.ini released" grep -qs released "$work/holder.txt"
exec 8>&-
check "held: the user's values: captured into ziq.txt" file_has ziq.txt 'TEXT=after the hold'
check "held: no welcome box" no_box
check "held: ziq2.ini as it was" cmp -s "$dir/ziq2.ini" "$work/held.ini"

# A busy clipboard. A secret whose clipboard is held open while ZIQ2 looks is looked at again
# once it is free, never logged. Beside a listener that holds the clipboard open at every
# change, as Windows' clipboard history service does, every copy is logged once and left as
# plain text, never empty; the text ZIQ2 leaves outlives ZIQ2 killed.
history_listener=$(dirname "$secret_owner")/ziq2-test-clipboard-history.exe
logged_once() { [ "$(grep -c -E "^TEXT=$1"$'\r?$' "$dir/ziq.txt" 2>/dev/null)" = 1 ]; }
looked_after_release() { sed -n '/^released/,$p' "$1" | grep -q examined; }
taken_as_plain() { xclip_gone && holds "$1"; }
absent() { ! "$@" >/dev/null; }
fresh busy
keep_session
settings
start
check "busy: the icon docks" docked
out=$work/secret-held.txt
wine "$secret_owner" history0 "secret held" 2500 >"$out" 2>/dev/null &
check "busy: a secret on the clipboard, held open" grep -qs held "$out"
check "busy: the secret's clipboard released" grep -q released "$out"
check "busy: the secret looked at once released" looked_after_release "$out"
copy "after the held secret"
check "busy: the copy after the secret is logged" logged_once "after the held secret"
check "busy: the held secret never logged" absent file_has ziq.txt "secret held"
listened=$work/listened.txt
wine "$history_listener" 100 >"$listened" 2>/dev/null &
listener=$!
check "busy: the listener hears the clipboard" grep -qs listening "$listened"
for copy in $(seq 20); do
    copy "busy copy $copy"
    check "busy: copy $copy logged" logged_once "busy copy $copy"
    check "busy: copy $copy left as plain text" taken_as_plain "busy copy $copy"
done
for copy in $(seq 20); do
    logged_once "busy copy $copy" || { echo "FAIL busy: copy $copy logged again"; failures=$((failures + 1)); }
done
check "busy: the listener never found the clipboard empty" absent grep -qx 'changed: ' "$listened"
copy "killed after its capture"
check "kill: captured" logged_once "killed after its capture"
check "kill: taken as plain text" taken_as_plain "killed after its capture"
wine taskkill /F /IM ZIQ2.exe >/dev/null 2>&1 || true
check "kill: ZIQ2 ended" ended
check "kill: the text is still pasteable" holds "killed after its capture"
kill "$listener" 2>/dev/null || true
pid=""

# Windows seams: a release unpacked over the last one keeps its settings and logs; a
# network drive for the folder browser below (Wine calls it one; ZIQ2 lists it without
# reading its label).
system32=$WINEPREFIX/drive_c/windows/system32
network_drive=$WINEPREFIX/dosdevices/y:
windows_seams_cleanup() {
    [ -L "$network_drive" ] && rm -f "$network_drive"
    wine reg delete 'HKLM\Software\Wine\Drives' /v y: /f >/dev/null 2>&1 || true
    local hidden
    for hidden in "$system32/msinfo32.exe" "$system32/notepad.exe" "$system32/../notepad.exe"; do
        [ -e "$hidden.hidden" ] && mv -f "$hidden.hidden" "$hidden"
    done
    return 0
}
hide() { mv "$1" "$1.hidden"; }
unhide() { mv "$1.hidden" "$1"; }
fresh update
settings
printf '[20200101120000]\r\nTEXT=from the last release\r\n' >"$dir/ziq.txt"
cp "$dir/ziq2.ini" "$work/update.ini"
(cd "$work/update" && cmake -E tar xf "$zip") # the next release, over the last one
check "update: the zip unpacks into the same folder, ZIQ2" test -f "$work/update/ZIQ2/ZIQ2.exe"
check "update: ziq2.ini kept" cmp -s "$dir/ziq2.ini" "$work/update.ini"
start
copy "after the update"
check "update: captured into the kept log" file_has ziq.txt 'TEXT=after the update'
check "update: the last release's entries stay" file_has ziq.txt 'TEXT=from the last release'
check "update: no welcome box" no_box

# ziq2-history.exe from the zip reads the same ziq2.ini and logs: it lists, prints and copies
# what ZIQ2 logged, and its window finds a typed word and Enter leaves that entry on the
# clipboard.
history() { (cd "$dir" && wine ziq2-history.exe "$@" 2>/dev/null); }
logged_text="Grüße aus Köln, zweite Zeile"
copy "$logged_text"
check "history: ZIQ2 logs a non-ASCII capture" file_has ziq.txt 'zweite Zeile'
listed() { history --list ZWEITE | grep -q $'\tcapture\t'"$logged_text"'$'; }
check "history: --list finds it, letter case ignored" listed
id=$(history --list --limit 1 zweite | cut -f1)
printed() { [ "$(history --print "$id")" = "$logged_text" ]; }
check "history: --print gives its exact text" printed
copy "something else"
check "history: another copy is rewritten" rewritten "something else"
history --copy "$id" >/dev/null || true
check "history: --copy leaves the entry on the clipboard" holds "$logged_text"
copy "something else again"
check "history: one more copy is rewritten" rewritten "something else again"
(cd "$dir" && exec wine ziq2-history.exe >/dev/null 2>&1) &
history_pid=$!
check "history: the window opens" visible '^ZIQ2 History$'
xdotool windowactivate --sync "$(shown '^ZIQ2 History$')" >/dev/null 2>&1 || true
xdotool type --delay 30 zweite
xdotool key Return
window_copied() { ! kill -0 "$history_pid" 2>/dev/null && holds "$logged_text"; }
check "history: Enter copies the entry found and closes the window" window_copied
mkdir -p "$work/share"
ln -sfn "$work/share" "$network_drive"
wine reg add 'HKLM\Software\Wine\Drives' /v y: /d network /f >/dev/null 2>&1

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
    # The exclusion marker tells by its presence alone, and nothing of it is read: the copy
    # after it waits till the marker is on the clipboard that Wine shares with xclip.
    if [ "$mode" = exclude ]; then
        check "secret $mode: shared" offers ExcludeClipboardContentFromMonitorProcessing
    else
        check "secret $mode: looked at" grep -q examined "$out"
    fi
    check "secret $mode: not rewritten" not grep -q lost "$out"
    copy "after $mode"
    check "secret $mode: the next copy is logged" file_has ziq.txt "TEXT=after $mode"
    check "secret $mode: not logged" not file_has ziq.txt "secret $mode"
done

# Options: "3 Medium" saved; Option1 stays in place whatever the font, the others move.
# A click or key can go astray while Wine and the window manager hand the new window the
# focus; then the save keeps the old frequency. The user would choose again: up to three times.
choose_medium() {
    xdotool windowactivate --sync "$options" >/dev/null 2>&1 || true
    click_twips "$options" 8115 120 1080 1215 495
    key_in "$options" Right Right alt+s
    wait_for not visible '^ZIQ Options$' && wait_for_briefly in_ini $'^FREQUENCY=3\r$'
}
check "options: the window opens" options_opened
for try in 1 2 3; do
    choose_medium && break
    [ "$try" = 3 ] || wait_for options_opened
done
check "options: saved and closed" not visible '^ZIQ Options$'
check "options: the new frequency saved" in_ini $'^FREQUENCY=3\r$'
check "options: ziq2.ini keeps CRLF" crlf_only ziq2.ini

# About: the system information tool is the one the (Wine) registry names. Stock Wine names
# none; without System32's msinfo32.exe either, ZIQ2 says so; its box's text, copied with
# Ctrl+C, is captured like any copy.
msinfo='HKLM\SOFTWARE\Microsoft\Shared Tools\MSINFO'
tool='C:\windows\system32\msinfo32.exe'
tool_started() { pgrep -i -x "${tool##*\\}" >/dev/null; }
registry_path() { wine reg query "$msinfo" /v PATH 2>/dev/null | sed -n 's/^ *PATH *REG_SZ *//p' | tr -d '\r'; }
wine reg delete "$msinfo" /v PATH /f >/dev/null 2>&1 || true # as stock Wine has it
hide "$system32/msinfo32.exe"
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
unhide "$system32/msinfo32.exe"
wine reg add "$msinfo" /v PATH /d "$tool" /f >/dev/null 2>&1
check "about: the registry names the tool" test "$(registry_path)" = "$tool"
key_in "$(shown '^About ZIQ2$')" alt+s
check "about: starts the tool the registry names" tool_started
click_twips "$(shown '^About ZIQ2$')" 4215 4245 2745 1260 345 # OK: the tool has the focus
check "about: OK closes it" not visible '^About ZIQ2$'
wine reg delete "$msinfo" /v PATH /f >/dev/null 2>&1 || true

# True once the Options window is gone; presses Esc in it while it is there. On a busy machine
# the key can reach the window that had the focus before, a started tool's, so it is pressed
# again, as a user would.
options_escaped() {
    visible '^ZIQ Options$' || return 0
    key_in "$options" Escape
    wait_for_briefly not visible '^ZIQ Options$'
}
# Windows seams: the tool named by an expandable registry path, or by none at all (then
# System32's); Help tells the user when Notepad cannot start.
tool_ended() { # ends the tools started so far, by their ids
    local tools
    tools=$(pgrep -i -x "${tool##*\\}") || return 0
    kill $tools 2>/dev/null || true
    ! tool_started
}
about_starts_tool() { # what: the About window opened from Options, System Info pressed
    check "$1: the last tool ended" tool_ended
    check "$1: options open" options_opened
    key_in "$options" alt+a
    check "$1: the About window opens" visible '^About ZIQ2$'
    key_in "$(shown '^About ZIQ2$')" alt+s
    check "$1: starts the tool" tool_started
    check "$1: no box" not visible '^ZIQ2$'
    click_twips "$(shown '^About ZIQ2$')" 4215 4245 2745 1260 345
    check "$1: OK closes it" not visible '^About ZIQ2$'
    check "$1: options closed" options_escaped
}
wine reg add "$msinfo" /v PATH /t REG_EXPAND_SZ /d '%SystemRoot%\system32\msinfo32.exe' /f >/dev/null 2>&1
about_starts_tool "about, REG_EXPAND_SZ"
wine reg delete "$msinfo" /v PATH /f >/dev/null 2>&1 || true
about_starts_tool "about, none named: System32's"
tool_ended || true
hide "$system32/notepad.exe"
hide "$system32/../notepad.exe"
check "help, no Notepad: options open" options_opened
click_twips "$options" 8115 240 7440 1215 495
check "help, no Notepad: ZIQ2 says so" visible '^ZIQ2$'
key_in "$(shown '^ZIQ2$')" ctrl+c
check "help, no Notepad: the box names the help file" file_has ziq.txt 'Could not open the help file .*ziqhelp.txt\.'
key_in "$(shown '^ZIQ2$')" Return
check "help, no Notepad: its box is answered" not visible '^ZIQ2$'
unhide "$system32/notepad.exe"
unhide "$system32/../notepad.exe"
check "help, no Notepad: options closed" options_escaped

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
