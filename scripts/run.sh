#!/usr/bin/env bash
# Builds Warblet and runs it against the bundled stand-in of the service, as the demo account.
# The working folder run/ keeps its logs between runs. Usage: scripts/run.sh
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

scripts/install-deps.sh fonts-ipafont-gothic fonts-noto-color-emoji xdg-utils
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Debug
cmake --build build --target warblet warblet-cli warblet-standin warblet_icons

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display to show the window on. Run it under a virtual X server instead:"
    echo "  apt-get install -y xvfb && xvfb-run -a -s '-screen 0 1280x800x24' scripts/run.sh"
    exit 1
fi

mkdir -p run
port_file=$(mktemp)
build/apps/standin/warblet-standin --seed data/standin-seed.json --live --port-file "$port_file" &
standin=$!
trap 'kill "$standin" 2>/dev/null || true; rm -f "$port_file"' EXIT
for _ in $(seq 50); do
    [ -s "$port_file" ] && break
    sleep 0.1
done
host="127.0.0.1:$(cat "$port_file")"

cd run
[ -f setting/setting.dat ] || "$root/build/apps/cli/warblet-cli" account set demo demo --auto-reload
rm -rf dat && cp -r "$root/build/dat" dat
WARBLET_MAIN_HOST=$host WARBLET_API_HOST=$host WARBLET_SEARCH_HOST=$host "$root/build/apps/warblet/warblet"
