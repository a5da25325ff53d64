#!/usr/bin/env bash
# Removes what tools/install.sh put in place: the program, its help text, the `ziq2` command,
# the icon, the menu entry and the autostart entry. Keeps the user's settings (ziq2.ini) and
# the logs, wherever they are; the program folder stays if they are in it. Safe to run again.
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=tools/user_paths.sh
. "$repo/tools/user_paths.sh"
[ $# -eq 0 ] || {
    echo "usage: tools/uninstall.sh" >&2
    exit 1
}
check_user_paths || exit 1

if pids=$(running_pids); then
    echo "ZIQ2 is still running (process ${pids//$'\n'/, }); choose Exit in its tray menu." >&2
fi

removed=0
remove() {
    local file
    for file in "$@"; do
        if [ -e "$file" ] || [ -L "$file" ]; then
            rm -f -- "$file"
            removed=1
        fi
    done
}

if [ -L "$ZIQ2_LAUNCHER" ] && is_our_launcher; then
    remove "$ZIQ2_LAUNCHER"
elif [ -e "$ZIQ2_LAUNCHER" ] || [ -L "$ZIQ2_LAUNCHER" ]; then
    echo "Left $ZIQ2_LAUNCHER alone: it is not ZIQ2's."
fi
if [ -L "$ZIQ2_HISTORY_LAUNCHER" ] && is_our_history_launcher; then
    remove "$ZIQ2_HISTORY_LAUNCHER"
fi
# The autostart entry would try to start a program that is gone at every log-in.
remove "$ZIQ2_AUTOSTART_ENTRY" "$ZIQ2_APP_ENTRY" "$ZIQ2_ICON_32" "$ZIQ2_ICON_256"
remove "$ZIQ2_LIB/ZIQ2" "$ZIQ2_LIB/ziq2-clipboard-keeper" "$ZIQ2_LIB/ziq2-history" \
    "$ZIQ2_LIB/ziqhelp.txt"
remove "$ZIQ2_LIB/.ZIQ2.partial" "$ZIQ2_LIB/.ziq2-clipboard-keeper.partial" \
    "$ZIQ2_LIB/.ziq2-history.partial" \
    "$ZIQ2_LIB/.ziqhelp.txt.partial" "$ZIQ2_APP_ENTRY.partial"
rmdir -- "$ZIQ2_ICONS/32x32/apps" "$ZIQ2_ICONS/32x32" "$ZIQ2_ICONS/256x256/apps" \
    "$ZIQ2_ICONS/256x256" 2>/dev/null || true

if [ $removed -eq 1 ]; then
    echo "ZIQ2 is uninstalled."
else
    echo "ZIQ2 is not installed; nothing to remove."
fi
if [ -d "$ZIQ2_LIB" ]; then
    # Only settings and logs can be left: keep them, and say where they are.
    if rmdir -- "$ZIQ2_LIB" 2>/dev/null; then
        :
    else
        echo "Kept your settings and logs in $ZIQ2_LIB:"
        for file in "$ZIQ2_LIB"/* "$ZIQ2_LIB"/.[!.]*; do
            if [ -e "$file" ]; then echo "  ${file##*/}"; fi
        done
        echo "Delete that folder yourself if you no longer need them."
    fi
fi
