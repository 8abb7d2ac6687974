#!/bin/sh
# Installs what is missing, builds everything and runs the whole test suite.
set -eu
cd "$(dirname "$0")/.."
scripts/setup-debian.sh
scripts/build.sh
ctest --test-dir "${TARN_BUILD_DIR:-build}" --output-on-failure -j "$(nproc)" "$@"
