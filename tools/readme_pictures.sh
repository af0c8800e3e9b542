#!/usr/bin/env bash
# Makes the pictures of generated tracks that the README shows, with
# velmora-export itself, so they always show what the generator makes:
#   tools/readme_pictures.sh
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
# A small canvas with kerbs, so that three pictures sit side by side.
printf '%s\r\n' "CanvasWidth = 640" "CanvasHeight = 480" "TrackWidth = 22" "MarkerGap = 40" \
    "RedWhite = 1" "AngleLimit = 60" > "$work/Preferences.ini"
"$root/export.sh" --generate 3 --seed 2026 --markers 3 --png --prefs "$work/Preferences.ini" \
    --out-dir "$root/docs/generated"
