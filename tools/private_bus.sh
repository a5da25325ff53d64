#!/usr/bin/env bash
# Sourced: `start_private_bus FOLDER [RUN-AS...]` starts a D-Bus session bus that listens in
# FOLDER, starts nothing by itself and admits any local user (the command may run as root
# beside a session of nobody's), so every process on it is one of ours. Sets bus_address
# and bus_pid; returns 1 when the bus does not come up within 30 s.
start_private_bus() {
    local folder=$1
    shift
    cat >"$folder/bus.conf" <<BUS
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:dir=$folder</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow user="*"/>
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
BUS
    mkfifo "$folder/bus.fifo"
    (cd / && exec "$@" dbus-daemon --config-file="$folder/bus.conf" --nofork \
        --print-address=3 3>"$folder/bus.fifo" >/dev/null 2>&1) &
    bus_pid=$!
    read -r -t 30 bus_address <"$folder/bus.fifo"
}
