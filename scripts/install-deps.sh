#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running and testing the wizard need.
set -euo pipefail
packages=(
    build-essential cmake ninja-build pkg-config
    qt6-base-dev qt6-base-dev-tools libgl-dev
    libgtest-dev googletest
    fonts-liberation2
    xvfb  # the display server of the accessibility test
    libglib2.0-bin
    # The accessibility test: a desktop with its session bus, the AT-SPI bus and registry, a
    # window manager and keys, read from Python through libatspi.
    dbus-daemon at-spi2-core openbox xdotool python3 python3-gi gir1.2-atspi-2.0
)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
