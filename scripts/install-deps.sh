#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running and testing Quorvane need, when any
# is missing (and those that make and check its Debian package: scripts/build-deb.sh,
# scripts/check-deb.sh). Runs apt-get as root, or through sudo for a normal user.
set -euo pipefail

packages=(
    build-essential cmake ninja-build ccache pkg-config clang libclang-rt-14-dev gdb
    libgtest-dev libgmock-dev googletest libbenchmark-dev
    qt6-base-dev qt6-serialport-dev libxtst-dev libxi-dev libx11-dev
    qt6-translations-l10n xvfb xauth openbox xterm x11-utils xdotool imagemagick fonts-noto-cjk
    tint2 xdg-utils shared-mime-info desktop-file-utils
    socat dbus dbus-daemon libglib2.0-bin python3-dbus python3-gi python3 xclip
    dpkg-dev file lintian appstream libxml2-utils man-db groff-base systemd
    libwayland-dev libxkbcommon-dev wayland-protocols sway foot wtype
    mir-demos mir-platform-graphics-x libegl-mesa0 libgl1-mesa-dri fonts-dejavu-core
    libmosquitto-dev mosquitto mosquitto-clients
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
    sudo_cmd=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
