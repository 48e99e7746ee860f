#!/bin/sh
# Installs what is missing, builds the release game, writes the demo content
# when no content tree is there yet, and starts the game on it. Extra
# arguments go to the game.
set -eu
cd "$(dirname "$0")/.."

./scripts/install-deps.sh
cmake --preset release
cmake --build --preset release

content="build/release/assets/retail"
if [ ! -e "$content/manifest.json" ]; then
    ./build/release/tools/contentgen/stormbastion-content "$content"
fi
exec ./build/release/stormbastion-xr "$@"
