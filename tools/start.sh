#!/bin/sh
# Builds the programs and starts the desktop program mirtun.
set -e
cd "$(dirname "$0")/.."
tools/deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build
exec build/mirtun
