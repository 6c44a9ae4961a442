#!/usr/bin/env bash
# Installs the Debian 12 packages the project needs, and those named as arguments,
# only those that are missing.
set -euo pipefail
pacotes=(cmake ninja-build ccache g++ clang libclang-rt-14-dev qt6-base-dev qt6-base-dev-tools qt6-serialport-dev
    libgl1-mesa-dev libxkbcommon-dev pkg-config libxcb-xkb-dev libx11-dev libx11-xcb-dev qt6-qpa-plugins
    xvfb xauth x11-utils xdotool x11-xkb-utils imagemagick fonts-liberation fonts-dejavu-core
    qt6-wayland sway wtype man-db groff-base desktop-file-utils appstream dpkg-dev
    qt6-translations-l10n at-spi2-core python3-pyatspi dbus-x11 poppler-utils
    libudev-dev strace lintian chromium "$@")
faltam=()
for p in "${pacotes[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || faltam+=("$p")
done
if [ ${#faltam[@]} -gt 0 ]; then
    echo "instalando: ${faltam[*]}" >&2
    if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; else SUDO=; fi
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${faltam[@]}" >/dev/null
fi
