#!/usr/bin/env bash
# `sni_panel.sh start|stop`: starts XFCE's panel in the desktop of tools/with_sni_tray.sh (or
# waybar in the sway session of tools/with_wayland.sh --waybar, ZIQ_SNI_HOST=waybar) and
# waits until its status tray is on the bus, or kills it (as a crash would) and waits until
# the tray has left the bus. The tests use it for a panel that starts late or restarts.
set -uo pipefail
work=${ZIQ_SNI_WORK:?run through tools/with_sni_tray.sh}

has_watcher() {
    gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
        --method org.freedesktop.DBus.NameHasOwner --timeout 5 org.kde.StatusNotifierWatcher \
        2>/dev/null | grep -q true
}
# Up to 30 s: the machine may be busy building.
wait_for() {
    for _ in $(seq 300); do
        "$@" && return 0
        sleep 0.1
    done
    return 1
}
no_watcher() { ! has_watcher; }

case "${1:-}" in
start)
    if [ "${ZIQ_SNI_HOST:-}" = waybar ]; then
        # A bar with the tray alone; an empty style keeps it from reading the desktop's.
        printf '{"layer": "top", "height": 30, "modules-right": ["tray"]}\n' >"$work/waybar.json"
        : >"$work/waybar.css"
        setsid waybar -c "$work/waybar.json" -s "$work/waybar.css" >>"$work/panel.log" 2>&1 \
            </dev/null &
    else
        # Its settings live in xfconfd, under $work; no window manager, no accessibility bus.
        env XDG_CONFIG_HOME="$work/config" XDG_CACHE_HOME="$work/cache" \
            XDG_DATA_HOME="$work/data" NO_AT_BRIDGE=1 setsid xfce4-panel --disable-wm-check \
            >>"$work/panel.log" 2>&1 </dev/null &
    fi
    echo $! >"$work/panel.pid"
    wait_for has_watcher
    ;;
stop)
    if [ -f "$work/panel.pid" ]; then
        kill -KILL "$(cat "$work/panel.pid")" 2>/dev/null
        rm -f "$work/panel.pid"
    fi
    wait_for no_watcher
    ;;
*)
    echo "usage: $0 start|stop" >&2
    exit 2
    ;;
esac
