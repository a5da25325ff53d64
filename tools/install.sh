#!/usr/bin/env bash
# Installs ZIQ2 for the current user, with no root rights needed: the program in
# ~/.local/lib/ziq2/ (it keeps ziq2.ini and, unless told otherwise, its logs beside itself,
# so that folder must be the user's), the command `ziq2` in ~/.local/bin, the icon and an
# entry in the desktop's applications menu. Safe to run again: it replaces the program and
# keeps settings and logs.
#
#   tools/install.sh               build ZIQ2 (tools/build.sh), then install it
#   tools/install.sh --from DIR    install the ZIQ2 already built in DIR, without building
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=tools/user_paths.sh
. "$repo/tools/user_paths.sh"

fail() {
    echo "install.sh: $*" >&2
    exit 1
}

from=""
case "${1:-}" in
"") ;;
--from)
    [ $# -eq 2 ] || fail "--from needs the build folder that holds ZIQ2"
    from=$(cd "$2" 2>/dev/null && pwd) || fail "no such folder: $2"
    ;;
*) fail "unknown argument '$1'; usage: tools/install.sh [--from BUILD_DIR]" ;;
esac

if [ "$(id -u)" -eq 0 ] && [ -n "${SUDO_USER:-}" ]; then
    fail "run it as yourself, not with sudo: ZIQ2 is installed for one user, in that user's home"
fi
check_user_paths || exit 1

if [ -z "$from" ]; then
    "$repo/tools/build.sh"
    from="$repo/build"
fi
if [ ! -f "$from/ZIQ2" ] || [ ! -x "$from/ZIQ2" ]; then
    fail "no ZIQ2 program in $from; build it first"
fi

# Replaces a file by renaming a finished copy over it, so a running ZIQ2 keeps its old
# program file and a broken copy never takes the old one's place.
put() {
    local source=$1 target=$2 mode=$3
    local partial
    partial="$(dirname "$target")/.$(basename "$target").partial"
    cp -- "$source" "$partial"
    chmod "$mode" "$partial"
    mv -f -- "$partial" "$target"
}

mkdir -p -- "$ZIQ2_LIB" "$ZIQ2_BIN_DIR" "$ZIQ2_APPS_DIR" "${ZIQ2_ICON_32%/*}" "${ZIQ2_ICON_256%/*}"
[ -w "$ZIQ2_LIB" ] || fail "$ZIQ2_LIB is not writable by you; ZIQ2 saves its settings there"

put "$from/ZIQ2" "$ZIQ2_LIB/ZIQ2" 755
# The keeper serves the text ZIQ2 left on the X11 clipboard after ZIQ2 has ended.
if [ -f "$from/ziq2-clipboard-keeper" ]; then
    put "$from/ziq2-clipboard-keeper" "$ZIQ2_LIB/ziq2-clipboard-keeper" 755
fi
# The history program reads the logs that ZIQ2 beside it writes.
if [ -f "$from/ziq2-history" ]; then
    put "$from/ziq2-history" "$ZIQ2_LIB/ziq2-history" 755
fi
help="$from/ziqhelp.txt"
[ -f "$help" ] || help="$repo/resources/ziqhelp.txt"
put "$help" "$ZIQ2_LIB/ziqhelp.txt" 644

# A symbolic link: the program finds its folder through the link, so settings stay there.
if [ -e "$ZIQ2_LAUNCHER" ] || [ -L "$ZIQ2_LAUNCHER" ]; then
    is_our_launcher || fail "$ZIQ2_LAUNCHER exists and is not ZIQ2's; move it away and run again"
fi
ln -sfn -- "$ZIQ2_LIB/ZIQ2" "$ZIQ2_LAUNCHER"
if [ -f "$ZIQ2_LIB/ziq2-history" ]; then
    if [ -e "$ZIQ2_HISTORY_LAUNCHER" ] || [ -L "$ZIQ2_HISTORY_LAUNCHER" ]; then
        is_our_history_launcher ||
            fail "$ZIQ2_HISTORY_LAUNCHER exists and is not ZIQ2's; move it away and run again"
    fi
    ln -sfn -- "$ZIQ2_LIB/ziq2-history" "$ZIQ2_HISTORY_LAUNCHER"
fi

put "$repo/resources/ziq.png" "$ZIQ2_ICON_32" 644
put "$repo/resources/ziq_256.png" "$ZIQ2_ICON_256" 644

# The menu entry starts the program by its full path: a session started before
# ~/.local/bin existed does not have that folder on its PATH yet.
exec_path=$(desktop_exec_quote "$ZIQ2_LIB/ZIQ2")
try_exec=$(desktop_string "$ZIQ2_LIB/ZIQ2")
history_exec=$(desktop_exec_quote "$ZIQ2_LIB/ziq2-history")
section=""
while IFS= read -r line; do
    case "$line" in
    \[*) section=$line ;;
    TryExec=*) line="TryExec=$try_exec" ;;
    Exec=*) if [ "$section" = "[Desktop Action SearchHistory]" ]; then
        line="Exec=$history_exec"
    else
        line="Exec=$exec_path"
    fi ;;
    esac
    printf '%s\n' "$line"
done <"$repo/packaging/linux/ziq2.desktop" >"$ZIQ2_APP_ENTRY.partial"
mv -f -- "$ZIQ2_APP_ENTRY.partial" "$ZIQ2_APP_ENTRY"
# An autostart entry from an earlier install follows the new one.
if [ -f "$ZIQ2_AUTOSTART_ENTRY" ]; then
    "$repo/tools/autostart.sh" on >/dev/null
fi
# Desktops that cache the icon theme see the new icon at once.
if [ -f "$ZIQ2_ICONS/icon-theme.cache" ] && command -v gtk-update-icon-cache >/dev/null; then
    gtk-update-icon-cache -q -t "$ZIQ2_ICONS" || true
fi

echo "ZIQ2 is installed in $ZIQ2_LIB"
echo "  menu entry: $ZIQ2_APP_ENTRY"
echo "  command:    $ZIQ2_LAUNCHER"
if [ -L "$ZIQ2_HISTORY_LAUNCHER" ]; then
    echo "  history:    $ZIQ2_HISTORY_LAUNCHER"
fi
if running_pids >/dev/null; then
    echo "ZIQ2 is running: choose Exit in its tray menu and start it again to use this version."
fi
case ":$PATH:" in
*":$ZIQ2_BIN_DIR:"*) ;;
*) echo "Note: $ZIQ2_BIN_DIR is not on your PATH yet; log out and in again (or add it) to type 'ziq2'." ;;
esac
