#!/bin/sh
# Installs the Debian packages that building and testing the configurator
# need. Safe to run again: when everything is present it prints nothing.
set -eu

# libqt6opengl6-dev: the CMake package of Qt Charts asks for Qt OpenGL's.
PACKAGES="cmake ninja-build pkg-config g++ qt6-base-dev qt6-svg-dev
qt6-charts-dev libqt6opengl6-dev libgsf-1-dev zlib1g-dev
googletest libgtest-dev libgmock-dev fonts-dejavu-core p7zip-full xvfb x11-utils libx11-dev
dpkg-dev lintian desktop-file-utils man-db"

missing=""
for package in $PACKAGES; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $package"
    fi
done

[ -z "$missing" ] && exit 0

if [ "$(id -u)" -eq 0 ]; then
    SUDO=""
elif command -v sudo >/dev/null 2>&1; then
    SUDO="sudo"
else
    echo "setup: missing packages:$missing; run as root or install sudo" >&2
    exit 1
fi

echo "setup: installing$missing" >&2
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq >/dev/null
# shellcheck disable=SC2086
$SUDO apt-get install -y -qq --no-install-recommends $missing >/dev/null
