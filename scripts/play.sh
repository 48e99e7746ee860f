#!/bin/sh
# Installs what is missing, builds the release game and starts it. Extra
# arguments go to the game.
set -eu
cd "$(dirname "$0")/.."

./scripts/install-deps.sh
cmake --preset release
cmake --build --preset release
exec ./build/release/stormbastion-xr "$@"
