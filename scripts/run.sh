#!/usr/bin/env bash
# Builds Warblet and runs it against the bundled stand-in of the service, as the demo account.
# The data folder run/ keeps its logs between runs. Run it as yourself: only apt-get runs through
# sudo, so build/ and run/ stay yours. Usage: scripts/run.sh
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

# Started through sudo out of habit: what it builds would be root's, in the user's own checkout.
if [ "$(id -u)" -eq 0 ] && [ -n "${SUDO_USER:-}" ] && [ "$(stat -c %U .)" = "$SUDO_USER" ]; then
    echo "Run it as $SUDO_USER, without sudo: it calls sudo for apt-get alone, and build/ stays yours."
    exit 1
fi

# Before anything is installed or built: without a display there is nothing to show.
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    run_line="xvfb-run -a -s '-screen 0 1280x800x24' $(printf %q "$root/scripts/run.sh")"
    if ! command -v xvfb-run >/dev/null; then
        if [ "$(id -u)" -eq 0 ]; then
            run_line="apt-get update && apt-get install -y xvfb xauth && $run_line"
        else
            run_line="sudo apt-get update && sudo apt-get install -y xvfb xauth && $run_line"
        fi
    fi
    echo "No display to show the window on. Run it under a virtual X server instead:"
    echo "  $run_line"
    exit 1
fi

scripts/install-deps.sh fonts-ipafont-gothic fonts-noto-color-emoji xdg-utils
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Debug
cmake --build build --target warblet warblet-cli warblet-standin warblet_icons

port_file=$(mktemp)
build/apps/standin/warblet-standin --seed data/standin-seed.json --live --quiet \
    --port-file "$port_file" &
standin=$!
trap 'kill "$standin" 2>/dev/null || true; rm -f "$port_file"' EXIT
for _ in $(seq 50); do
    [ -s "$port_file" ] && break
    sleep 0.1
done
host="127.0.0.1:$(cat "$port_file")"

data="$root/run"
[ -f "$data/setting/setting.dat" ] ||
    build/apps/cli/warblet-cli --data-dir "$data" account set demo demo --auto-reload
rm -rf "$data/dat" && cp -r build/dat "$data/dat"
WARBLET_MAIN_HOST=$host WARBLET_API_HOST=$host WARBLET_SEARCH_HOST=$host \
    build/apps/warblet/warblet --data-dir "$data"
