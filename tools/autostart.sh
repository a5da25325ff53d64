#!/usr/bin/env bash
# Makes the installed ZIQ2 start with the desktop session, or stops that:
#
#   tools/autostart.sh on     ZIQ2 starts at every log-in (an XDG autostart entry)
#   tools/autostart.sh off    it no longer does
#
# Both are safe to run again. `on` needs ZIQ2 installed with tools/install.sh.
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=tools/user_paths.sh
. "$repo/tools/user_paths.sh"
check_user_paths || exit 1

case "${1:-}" in
on)
    if [ ! -f "$ZIQ2_APP_ENTRY" ] || [ ! -x "$ZIQ2_LIB/ZIQ2" ]; then
        echo "autostart.sh: ZIQ2 is not installed; run tools/install.sh first" >&2
        exit 1
    fi
    mkdir -p -- "$ZIQ2_AUTOSTART_DIR"
    # The menu entry already starts the installed program; the session runs the same one.
    cp -- "$ZIQ2_APP_ENTRY" "$ZIQ2_AUTOSTART_ENTRY.partial"
    mv -f -- "$ZIQ2_AUTOSTART_ENTRY.partial" "$ZIQ2_AUTOSTART_ENTRY"
    echo "ZIQ2 will start with your desktop session ($ZIQ2_AUTOSTART_ENTRY)."
    ;;
off)
    rm -f -- "$ZIQ2_AUTOSTART_ENTRY" "$ZIQ2_AUTOSTART_ENTRY.partial"
    echo "ZIQ2 will no longer start with your desktop session."
    ;;
*)
    echo "usage: tools/autostart.sh on|off" >&2
    exit 1
    ;;
esac
