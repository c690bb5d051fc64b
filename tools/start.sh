#!/bin/sh
# Builds the program and starts it on the example playlist.
set -e
cd "$(dirname "$0")/.."
tools/deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build
exec build/mirtun-convert --defaults examples/party.pls
