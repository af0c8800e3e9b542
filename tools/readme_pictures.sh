#!/usr/bin/env bash
# Makes the pictures the README shows, with the program itself, so they
# always show what it makes:
#   tools/readme_pictures.sh
# - three generated tracks, drawn by velmora-export;
# - the Simulator menu over a lab track's map (Import Map's dialog, the main
#   window with the track and its race line, Export for Simulators' dialog,
#   the race line over the map's cells), taken from the editor's own windows
#   by velmora_readme_pictures.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
# A small canvas with kerbs, so that three pictures sit side by side.
printf '%s\r\n' "CanvasWidth = 640" "CanvasHeight = 480" "TrackWidth = 22" "MarkerGap = 40" \
    "RedWhite = 1" "AngleLimit = 60" > "$work/Preferences.ini"
"$root/export.sh" --generate 3 --seed 2026 --markers 3 --png --prefs "$work/Preferences.ini" \
    --out-dir "$root/docs/generated"

build="$root/build/release"
cmake --build "$build" --target velmora_readme_pictures >&2
QT_QPA_PLATFORM=offscreen "$build/bin/velmora_readme_pictures" \
    "$root/tests/data/slam/hangar/hangar.yaml" "$build/bin" "$root/docs"
