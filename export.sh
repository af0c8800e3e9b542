#!/usr/bin/env bash
# Sets up what is missing, builds an optimised velmora-export and runs it
# with the given arguments, from the folder it is called in:
#   ./export.sh --trk --png --ros-map --out-dir out tests/data/circuits/Monza.csv
set -euo pipefail
root="$(cd "$(dirname "$0")" && pwd)"
# The build talks on stderr, so what the tool writes to stdout stays its own.
(
    cd "$root"
    source tools/setup.sh
    velmora_ensure_packages
    build=build/release
    velmora_configure "$build" -DCMAKE_BUILD_TYPE=Release -DVELMORA_TESTS=OFF
    cmake --build "$build" --target velmora-export
) >&2
exec "$root/build/release/bin/velmora-export" "$@"
