#!/usr/bin/env bash
# Runs a command inside a private headless Wayland session (sway) and stops it afterwards.
#   tools/with_wayland.sh [--no-xwayland | --mutter | --waybar] command...
# The session has XWayland unless --no-xwayland is given; the command sees WAYLAND_DISPLAY,
# and DISPLAY when XWayland runs. sway refuses to run as root: as root, the session and the
# command run as the user nobody, in folders of their own. Exits 77 when sway (or waybar) is
# missing.
# --mutter runs GNOME's compositor instead, with XWayland, on a session bus of its own that the
# command sees too (its remote-desktop API gives the seat a keyboard); the command sees
# ZIQ_WAYLAND_COMPOSITOR=mutter, else sway.
# --waybar adds a session bus and waybar, whose tray is the StatusNotifierWatcher, to sway;
# the command can stop and start it again with tools/sni_panel.sh, as in with_sni_tray.sh.
set -euo pipefail

xwayland=enable
compositor=sway
panel=""
if [ "${1:-}" = "--no-xwayland" ]; then
    xwayland=disable
    shift
elif [ "${1:-}" = "--mutter" ]; then
    compositor=mutter
    shift
elif [ "${1:-}" = "--waybar" ]; then
    panel=waybar
    shift
fi
for program in "$compositor" $panel; do
    command -v "$program" >/dev/null ||
        { echo "with_wayland.sh: $program is not installed" >&2; exit 77; }
done

as_user=()
if [ "$(id -u)" -eq 0 ]; then
    as_user=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
fi

# The command runs as nobody too, unless nobody cannot reach it (a build in a folder of root's):
# then it runs as root, a client of nobody's compositor.
command_user=("${as_user[@]}")
if [ ${#as_user[@]} -gt 0 ] && [[ "$1" == */* ]] && ! "${as_user[@]}" test -x "$1"; then
    echo "with_wayland.sh: the user nobody cannot reach $1; it runs as root" >&2
    command_user=()
fi

session=$(mktemp -d)
chmod 700 "$session"
[ ${#as_user[@]} -eq 0 ] || chown nobody:nogroup "$session"
# sway writes the display names it gives its clients once XWayland (if any) is up.
cat >"$session/config" <<CONFIG
xwayland $xwayland
exec sh -c 'printf "%s\\n%s\\n" "\$WAYLAND_DISPLAY" "\$DISPLAY" >"$session/names.tmp" && mv "$session/names.tmp" "$session/names"'
CONFIG

sway_pid=""
bus_address=""
bus_pid=""
stop() {
    [ -n "$1" ] || return 0
    kill "$1" 2>/dev/null || true
    for _ in $(seq 50); do
        kill -0 "$1" 2>/dev/null || break
        sleep 0.1
    done
    kill -9 "$1" 2>/dev/null || true
}
cleanup() {
    [ -f "$session/panel/panel.pid" ] && kill -KILL "$(cat "$session/panel/panel.pid")" 2>/dev/null
    stop "$sway_pid"
    stop "$bus_pid"
    wait 2>/dev/null || true
    rm -rf "$session"
}
trap cleanup EXIT

# The caller's X display (Xvfb from with_display.sh) must not leak into the session.
if [ "$compositor" = sway ]; then
    (cd / && exec "${as_user[@]}" env -u DISPLAY -u WAYLAND_DISPLAY HOME="$session" \
        XDG_RUNTIME_DIR="$session" WLR_BACKENDS=headless WLR_RENDERER=pixman \
        WLR_LIBINPUT_NO_DEVICES=1 sway -c "$session/config" >"$session/compositor.log" 2>&1) &
    sway_pid=$!
fi
if [ "$compositor" = mutter ] || [ -n "$panel" ]; then
    source "$(dirname "$0")/private_bus.sh"
    start_private_bus "$session" "${as_user[@]}" ||
        { echo "with_wayland.sh: dbus-daemon did not start" >&2; exit 1; }
fi
if [ "$compositor" = mutter ]; then
    # mutter runs its one command with the names it gives its clients, and ends with it.
    (cd / && exec "${as_user[@]}" env -u DISPLAY -u WAYLAND_DISPLAY HOME="$session" \
        XDG_RUNTIME_DIR="$session" DBUS_SESSION_BUS_ADDRESS="$bus_address" mutter --headless \
        --wayland --virtual-monitor 1280x1024 --wayland-display ziq-wayland -- sh -c \
        "printf '%s\\n%s\\n%s\\n' \"\$WAYLAND_DISPLAY\" \"\$DISPLAY\" \"\$XAUTHORITY\" \
            >'$session/names.tmp' && mv '$session/names.tmp' '$session/names' && exec tail --pid=\$PPID -f /dev/null" \
        >"$session/compositor.log" 2>&1) &
    sway_pid=$!
fi

# Generous: the machine may be busy building.
for _ in $(seq 300); do
    [ -f "$session/names" ] && break
    kill -0 "$sway_pid" 2>/dev/null || break
    sleep 0.1
done
if [ ! -f "$session/names" ]; then
    echo "with_wayland.sh: $compositor did not come up" >&2
    tail -n 20 "$session/compositor.log" >&2 || true
    exit 1
fi
{
    read -r wayland_display
    read -r x_display || true
    read -r x_authority || true
} <"$session/names"

# The command's own home and temporary folder, where it may write as that user.
mkdir -p "$session/home" "$session/tmp"
[ ${#command_user[@]} -eq 0 ] || chown nobody:nogroup "$session/home" "$session/tmp"
if [ ${#command_user[@]} -eq 0 ] && [ ${#as_user[@]} -gt 0 ] && [ -n "${x_display:-}" ]; then
    # XWayland admits only its own user unless told otherwise.
    "${as_user[@]}" env DISPLAY="$x_display" ${x_authority:+XAUTHORITY="$x_authority"} \
        xhost +SI:localuser:root >/dev/null
fi
session_env=(env -u DISPLAY HOME="$session/home" TMPDIR="$session/tmp"
    XDG_RUNTIME_DIR="$session" WAYLAND_DISPLAY="$wayland_display"
    ZIQ_WAYLAND_COMPOSITOR="$compositor" ${x_display:+DISPLAY="$x_display"}
    ${x_authority:+XAUTHORITY="$x_authority"}
    ${bus_address:+DBUS_SESSION_BUS_ADDRESS="$bus_address"})
if [ -n "$panel" ]; then
    mkdir -p "$session/panel"
    [ ${#command_user[@]} -eq 0 ] || chown nobody:nogroup "$session/panel"
    session_env+=(ZIQ_SNI_WORK="$session/panel" ZIQ_SNI_HOST="$panel"
        ZIQ_SNI_PANEL="$(cd "$(dirname "$0")" && pwd)/sni_panel.sh")
    "${command_user[@]}" "${session_env[@]}" sh -c '"$ZIQ_SNI_PANEL" start' || {
        echo "with_wayland.sh: $panel's tray did not come up" >&2
        tail -n 20 "$session/panel/panel.log" >&2 || true
        exit 1
    }
fi
set +e
"${command_user[@]}" "${session_env[@]}" "$@"
status=$?
set -e
exit $status
