#!/usr/bin/env bash
# Runs a command in a desktop whose tray is a StatusNotifierItem host: a private X server
# (Xvfb), a private D-Bus session bus and XFCE's panel with its status tray, which is the
# StatusNotifierWatcher. Stops them all afterwards. The command starts once the watcher is on
# the bus, so a program started first thing registers its item at once.
# Nothing outside is used or touched: no desktop session bus, no settings in the home folder.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)

work=$(mktemp -d)
pids=()
cleanup() {
    local pid
    [ -f "$work/panel.pid" ] && "$here/sni_panel.sh" stop
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
# A signal ends the script through its exit, so the helpers are stopped then too.
trap 'exit 129' HUP
trap 'exit 130' INT
trap 'exit 143' TERM

fail() {
    echo "with_sni_tray.sh: $*" >&2
    [ -f "$work/panel.log" ] && tail -n 20 "$work/panel.log" >&2
    exit 1
}

# Runs the given check until it succeeds, for up to 30 s: the machine may be busy building.
wait_for() {
    for _ in $(seq 300); do
        "$@" >/dev/null 2>&1 && return 0
        sleep 0.1
    done
    return 1
}

fifo="$work/fifo"
mkfifo "$fifo"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
pids+=($!)
read -r -t 30 display <"$fifo" || fail "Xvfb did not start"
export DISPLAY=":$display"

source "$here/private_bus.sh"
start_private_bus "$work" || fail "dbus-daemon did not start"
pids+=("$bus_pid")
export DBUS_SESSION_BUS_ADDRESS="$bus_address"

# The panel keeps its settings in xfconfd; both read and write only under $work.
xfce_env=(env XDG_CONFIG_HOME="$work/config" XDG_CACHE_HOME="$work/cache"
    XDG_DATA_HOME="$work/data" NO_AT_BRIDGE=1)
channel="$work/config/xfce4/xfconf/xfce-perchannel-xml"
mkdir -p "$channel"
cat >"$channel/xfce4-panel.xml" <<'EOF'
<?xml version="1.0" encoding="UTF-8"?>
<channel name="xfce4-panel" version="1.0">
  <property name="configver" type="int" value="2"/>
  <property name="panels" type="array">
    <value type="int" value="1"/>
    <property name="panel-1" type="empty">
      <property name="position" type="string" value="p=6;x=0;y=0"/>
      <property name="length" type="uint" value="100"/>
      <property name="position-locked" type="bool" value="true"/>
      <property name="size" type="uint" value="32"/>
      <property name="plugin-ids" type="array">
        <value type="int" value="1"/>
      </property>
    </property>
  </property>
  <property name="plugins" type="empty">
    <property name="plugin-1" type="string" value="systray"/>
  </property>
</channel>
EOF

has_name() {
    gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
        --method org.freedesktop.DBus.NameHasOwner --timeout 5 "$1" | grep -q true
}

xfconfd=$(sed -n 's/^Exec=//p' /usr/share/dbus-1/services/org.xfce.Xfconf.service 2>/dev/null)
[ -x "$xfconfd" ] || fail "xfconfd not found (package xfconf)"
"${xfce_env[@]}" "$xfconfd" >"$work/xfconfd.log" 2>&1 &
pids+=($!)
wait_for has_name org.xfce.Xfconf || fail "xfconfd did not come up"

# The tests stop and start the panel too, as one that starts late or crashes.
export ZIQ_SNI_WORK="$work" ZIQ_SNI_PANEL="$here/sni_panel.sh"
"$ZIQ_SNI_PANEL" start || fail "the panel's status tray did not come up"

# In the background, so that a signal is handled at once rather than once the command ends.
"$@" &
pids+=($!)
wait $!
