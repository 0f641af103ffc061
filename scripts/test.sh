#!/usr/bin/env bash
# Builds everything and runs every test. Run it as yourself: only apt-get runs through sudo, so
# build/ stays yours. Usage: scripts/test.sh
set -euo pipefail
cd "$(dirname "$0")/.."

# Started through sudo out of habit: what it builds would be root's, in the user's own checkout.
if [ "$(id -u)" -eq 0 ] && [ -n "${SUDO_USER:-}" ] && [ "$(stat -c %U .)" = "$SUDO_USER" ]; then
    echo "Run it as $SUDO_USER, without sudo: it calls sudo for apt-get alone, and build/ stays yours."
    exit 1
fi

scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Debug
cmake --build build
ctest --test-dir build --output-on-failure --timeout 300
