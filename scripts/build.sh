#!/bin/sh
# Configures and builds the project in ./build (or $TARN_BUILD_DIR).
set -eu
cd "$(dirname "$0")/.."
BUILD_DIR="${TARN_BUILD_DIR:-build}"
if [ ! -f "$BUILD_DIR/build.ninja" ]; then
    cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$BUILD_DIR" -j "$(nproc)"
