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
    ;;
off) ;;
*)
    echo "usage: tools/autostart.sh on|off" >&2
    exit 1
    ;;
esac
# The package's ziq2-autostart writes the entry, from the menu entry that starts this install.
exec "$repo/packaging/linux/ziq2-autostart" --entry "$ZIQ2_APP_ENTRY" "$1"
