#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the program need, when they are missing.
# Runs apt-get directly as root, through sudo otherwise.
set -euo pipefail

packages=(
    g++ cmake ninja-build pkg-config
    libexpat1-dev libgtest-dev libgmock-dev libbenchmark-dev
    nlohmann-json3-dev libcpp-httplib-dev
    qt6-base-dev libgl-dev famfamfam-silk
    qt6-tools-dev qt6-tools-dev-tools qt6-l10n-tools dbus-daemon dbus-session-bus-common
    "$@"
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

as_root=()
[ "$(id -u)" -eq 0 ] || as_root=(sudo)
echo "Installing: ${missing[*]}"
"${as_root[@]}" apt-get update -q
DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
