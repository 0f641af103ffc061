#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the program need, when they are missing,
# plus any named as arguments. As root it runs apt-get itself; as another user it runs apt-get
# alone through sudo; with neither it prints the line for root to run and stops.
set -euo pipefail

packages=(
    g++ cmake ninja-build pkg-config
    libexpat1-dev libgtest-dev libgmock-dev libbenchmark-dev
    nlohmann-json3-dev libcpp-httplib-dev libssl-dev openssl
    qt6-base-dev libgl-dev famfamfam-silk adwaita-icon-theme help2man
    qt6-tools-dev qt6-tools-dev-tools qt6-l10n-tools dbus-daemon dbus-session-bus-common
    libxcb-damage0-dev libxcb-xtest0-dev xvfb
    "$@"
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

install_line="apt-get update && apt-get install -y --no-install-recommends ${missing[*]}"
as_root=()
if [ "$(id -u)" -ne 0 ]; then
    if ! command -v sudo >/dev/null; then
        echo "These Debian packages are missing: ${missing[*]}"
        echo "Install them as root, then run this again:"
        echo "  $install_line"
        exit 1
    fi
    as_root=(sudo)
fi
echo "Installing: ${missing[*]}"
if ! "${as_root[@]}" apt-get update -q ||
    ! "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive \
        apt-get install -y -q --no-install-recommends "${missing[@]}"; then
    echo "Could not install the packages. Install them as root, then run this again:"
    echo "  $install_line"
    exit 1
fi
