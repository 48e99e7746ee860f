#!/bin/sh
# Installs what is missing, builds the sanitized test build and runs every
# test. Window tests need an X display: one is started under Xvfb when
# DISPLAY is unset.
set -eu
cd "$(dirname "$0")/.."

./scripts/install-deps.sh
cmake --preset test
cmake --build --preset test

export SDL_AUDIODRIVER=dummy
XVFB_PID=""
if [ -z "${DISPLAY:-}" ]; then
    display=":$((90 + $$ % 100))"
    Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    XVFB_PID=$!
    trap 'kill "$XVFB_PID" 2>/dev/null || true' EXIT INT TERM
    export DISPLAY="$display"
    sleep 1
fi

ctest --preset test -j "$(nproc)"
