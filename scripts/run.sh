#!/usr/bin/env bash
# Builds the program and opens its window. Pass --demo to open the demonstration
# program instead, whose four ports are wired to simulated boards.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELORIS_BUILD_TESTS=OFF >/dev/null
cmake --build build
if [ "${1:-}" = "--demo" ]; then
    exec build/demo/veloris-demo
fi
exec build/ui/veloris
