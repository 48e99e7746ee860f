#!/bin/sh
# Installs the Debian packages the game, its tests and benchmarks need.
# Safe to run again: packages already present are skipped.
set -eu

PACKAGES="g++ cmake ninja-build pkg-config git \
nlohmann-json3-dev libopus-dev libenet-dev libglew-dev libsdl2-dev \
libopenxr-dev libopenxr-loader1 libgtest-dev libgmock-dev libbenchmark-dev \
xvfb xauth libgl1-mesa-dri xdotool libxdamage-dev"

missing=""
for package in $PACKAGES; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $package"
    fi
done

if [ -z "$missing" ]; then
    exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
    SUDO="sudo"
fi
echo "Installing:$missing"
$SUDO apt-get update
# shellcheck disable=SC2086
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends $missing
