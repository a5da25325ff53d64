#!/usr/bin/env bash
# Installs, with apt-get, whatever the build and the tests need and is not there yet.
# Safe to run again: it installs only what is missing.
set -euo pipefail

packages=(
    cmake ninja-build g++ pkg-config ccache
    qt6-base-dev qt6-base-dev-tools libgl-dev libxcb1-dev libxcb-xfixes0-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    xvfb xauth xclip xdotool trayer openbox x11-utils procps
    desktop-file-utils libglib2.0-bin
    dbus-daemon xfce4-panel xfconf
    clang libclang-rt-14-dev clang-format
    libwayland-dev qt6-wayland sway xwayland wl-clipboard x11-xserver-utils mutter waybar
    debhelper dpkg-dev fakeroot lintian mmdebstrap piuparts appstream
)
packages+=("$@")

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
