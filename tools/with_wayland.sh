#!/usr/bin/env bash
# Runs a command inside a private headless Wayland session (sway) and stops it afterwards.
#   tools/with_wayland.sh [--no-xwayland] command...
# The session has XWayland unless --no-xwayland is given; the command sees WAYLAND_DISPLAY,
# and DISPLAY when XWayland runs. sway refuses to run as root: as root, the session and the
# command run as the user nobody, in folders of their own. Exits 77 when sway is missing.
set -euo pipefail

xwayland=enable
if [ "${1:-}" = "--no-xwayland" ]; then
    xwayland=disable
    shift
fi
command -v sway >/dev/null || { echo "with_wayland.sh: sway is not installed" >&2; exit 77; }

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
cleanup() {
    if [ -n "$sway_pid" ]; then
        kill "$sway_pid" 2>/dev/null || true
        for _ in $(seq 50); do
            kill -0 "$sway_pid" 2>/dev/null || break
            sleep 0.1
        done
        kill -9 "$sway_pid" 2>/dev/null || true
    fi
    wait 2>/dev/null || true
    rm -rf "$session"
}
trap cleanup EXIT

# The caller's X display (Xvfb from with_display.sh) must not leak into the session.
(cd / && exec "${as_user[@]}" env -u DISPLAY -u WAYLAND_DISPLAY HOME="$session" \
    XDG_RUNTIME_DIR="$session" WLR_BACKENDS=headless WLR_RENDERER=pixman \
    WLR_LIBINPUT_NO_DEVICES=1 sway -c "$session/config" >"$session/sway.log" 2>&1) &
sway_pid=$!

# Generous: the machine may be busy building.
for _ in $(seq 300); do
    [ -f "$session/names" ] && break
    kill -0 "$sway_pid" 2>/dev/null || break
    sleep 0.1
done
if [ ! -f "$session/names" ]; then
    echo "with_wayland.sh: sway did not come up" >&2
    tail -n 20 "$session/sway.log" >&2 || true
    exit 1
fi
{ read -r wayland_display; read -r x_display || true; } <"$session/names"

# The command's own home and temporary folder, where it may write as that user.
mkdir -p "$session/home" "$session/tmp"
[ ${#command_user[@]} -eq 0 ] || chown nobody:nogroup "$session/home" "$session/tmp"
if [ ${#command_user[@]} -eq 0 ] && [ ${#as_user[@]} -gt 0 ] && [ -n "${x_display:-}" ]; then
    # XWayland admits only its own user unless told otherwise.
    "${as_user[@]}" env DISPLAY="$x_display" xhost +SI:localuser:root >/dev/null
fi
set +e
"${command_user[@]}" env -u DISPLAY HOME="$session/home" TMPDIR="$session/tmp" \
    XDG_RUNTIME_DIR="$session" WAYLAND_DISPLAY="$wayland_display" \
    ${x_display:+DISPLAY="$x_display"} "$@"
status=$?
set -e
exit $status
