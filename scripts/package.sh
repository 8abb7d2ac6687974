#!/bin/sh
# Builds the Debian package of the configurator from the build folder
# (./build or $TARN_BUILD_DIR): the programs, their companion files, the
# desktop entry, the icon and the manual pages. Prints the package's path.
set -eu
cd "$(dirname "$0")/.."
scripts/setup-debian.sh
BUILD_DIR="${TARN_BUILD_DIR:-build}"
if [ ! -f "$BUILD_DIR/build.ninja" ]; then
    cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
# Only what the package holds; a build of the test suite is not needed.
cmake --build "$BUILD_DIR" -j "$(nproc)" --target tarn tarn-sim tarn-pack tarn-dump tarn-diff tarn_tree_container \
    tarn_installed_files >/dev/null
rm -f "$BUILD_DIR"/package/tarn_*.deb
if ! cpack --config "$BUILD_DIR/CPackConfig.cmake" >"$BUILD_DIR/cpack.log" 2>&1; then
    cat "$BUILD_DIR/cpack.log" >&2
    exit 1
fi
ls "$BUILD_DIR"/package/tarn_*.deb
