#!/usr/bin/env bash
# Saves docs/screenshot.png: the main window, drawn off screen, after its first automatic reload
# from a fresh stand-in of the service. Usage: scripts/screenshot.sh
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

scripts/install-deps.sh fonts-ipafont-gothic fonts-noto-color-emoji
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Debug
cmake --build build --target warblet-screenshot warblet-cli warblet-standin warblet_icons

work=$(mktemp -d)
build/apps/standin/warblet-standin --seed data/standin-seed.json --quiet --port-file "$work/port" >/dev/null &
standin=$!
trap 'kill "$standin" 2>/dev/null || true; rm -rf "$work"' EXIT
for _ in $(seq 100); do [ -s "$work/port" ] && break; sleep 0.05; done
host="127.0.0.1:$(cat "$work/port")"

cd "$work"
"$root/build/apps/cli/warblet-cli" --data-dir "$work" account set demo demo --auto-reload
cp -r "$root/build/dat" dat
mkdir -p "$root/docs"
QT_QPA_PLATFORM=offscreen WARBLET_MAIN_HOST=$host WARBLET_API_HOST=$host WARBLET_SEARCH_HOST=$host \
    "$root/build/apps/screenshot/warblet-screenshot" "$root/docs/screenshot.png" 8000 >/dev/null
echo "saved docs/screenshot.png"
