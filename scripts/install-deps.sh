#!/usr/bin/env bash
# Installs every Debian package that building, running and testing Quillet! needs.
# Idempotent: returns at once when everything is already present.
set -euo pipefail

packages=(
    build-essential
    cmake
    ninja-build
    pkg-config
    libgtest-dev
    libgmock-dev
    qt6-base-dev
    nlohmann-json3-dev
    libpcsclite-dev
    libpcsclite1
    pcscd
    vsmartcard-vpcd
    pcsc-tools
    xvfb
    xauth
    xdotool
    xclip
    groff-base
    poppler-utils
    fonts-dejavu-core
    fonts-dejavu-extra
    clang-format
    dpkg-dev
    help2man
    file
    lintian
    desktop-file-utils
    appstream
)

missing=()
for package in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
    if [[ "$status" != "install ok installed" ]]; then
        missing+=("$package")
    fi
done

if [[ ${#missing[@]} -eq 0 ]]; then
    exit 0
fi

echo "Installing missing packages: ${missing[*]}"
sudo_cmd=()
if [[ $(id -u) -ne 0 ]]; then
    sudo_cmd=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -q
"${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
