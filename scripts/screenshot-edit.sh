#!/usr/bin/env bash
# The configuration edit dialog on the demo model's largest group ("Print Setup", more settings
# than one page shows), saved as docs/screenshot-edit.png. No screen needed.
# Usage: scripts/screenshot-edit.sh [BUILD_DIR]   (default: build)
set -euo pipefail

# Builds the picture taker in BUILD_DIR and writes the picture to OUTPUT.
shot_edit_dialog() {
    local build="$1" output="$2"
    cmake --build "$build" --target edit_dialog_shot
    QT_QPA_PLATFORM=offscreen "$build/tests/edit_dialog_shot" "$output"
}

if [[ "${BASH_SOURCE[0]}" == "$0" ]]; then
    cd "$(dirname "$0")/.."
    shot_edit_dialog "${1:-build}" docs/screenshot-edit.png
fi
