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
    # Xvfb picks a free display itself and writes its number once it takes
    # clients. Without -noreset it would reset whenever its last client
    # leaves, and a program starting during a reset finds no GLX.
    number_file="$(mktemp)"
    Xvfb -displayfd 5 -noreset -screen 0 1280x1024x24 -nolisten tcp 5>"$number_file" >/dev/null 2>&1 &
    XVFB_PID=$!
    trap 'kill "$XVFB_PID" 2>/dev/null || true; rm -f "$number_file"' EXIT INT TERM
    waited=0
    # The number and its newline come in two writes.
    while [ "$(wc -l <"$number_file")" -lt 1 ]; do
        if [ "$waited" -ge 200 ] || ! kill -0 "$XVFB_PID" 2>/dev/null; then
            echo "Xvfb did not start" >&2
            exit 1
        fi
        sleep 0.1
        waited=$((waited + 1))
    done
    export DISPLAY=":$(head -n 1 "$number_file")"
fi

ctest --preset test -j "$(nproc)"
