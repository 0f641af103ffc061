#!/usr/bin/env bash
# Builds everything and runs every test. Run it as yourself: only apt-get runs through sudo, so
# build/ stays yours. Usage: scripts/test.sh
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Debug
cmake --build build
ctest --test-dir build --output-on-failure --timeout 300
