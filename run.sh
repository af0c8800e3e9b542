#!/usr/bin/env bash
# Sets up what is missing, builds an optimised Velmora and starts it.
set -euo pipefail
cd "$(dirname "$0")"
source tools/setup.sh
velmora_ensure_packages

build=build/release
velmora_configure "$build" -DCMAKE_BUILD_TYPE=Release -DVELMORA_TESTS=OFF
cmake --build "$build"
# `python3 -c "import velmora"` works from here: the module, linked into the
# checkout's top folder (Python looks in the current folder first).
for module in "$build"/python/velmora*.so; do
    if [ -e "$module" ]; then ln -sfn "$module" velmora.so; fi
done
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "Velmora is built ($build/bin/Velmora) but there is no display to show it on (DISPLAY and WAYLAND_DISPLAY are unset)." >&2
    exit 1
fi
exec "$build/bin/Velmora"
