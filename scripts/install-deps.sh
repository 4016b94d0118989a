#!/usr/bin/env bash
# Installs what building, running and testing need, from Debian 12's own packages.
# Safe to run again: it does nothing when everything is already there.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config
    qt6-base-dev qt6-serialport-dev libgl-dev libxcb1-dev
    qt6-tools-dev qt6-tools-dev-tools qt6-l10n-tools help2man bash-completion
    googletest libgtest-dev libgmock-dev
    fonts-liberation
    xvfb xdotool x11-utils imagemagick
    dpkg-dev file desktop-file-utils appstream
)
if [ "${VELORIS_EXTRA_PACKAGES:-}" != "" ]; then
    read -r -a extra <<<"$VELORIS_EXTRA_PACKAGES"
    packages+=("${extra[@]}")
fi

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done
if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

sudo=""
if [ "$(id -u)" -ne 0 ]; then
    sudo="sudo"
fi
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
