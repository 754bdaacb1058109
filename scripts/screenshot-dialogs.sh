#!/usr/bin/env bash
# Screenshots of the port dialog and the firmware dialog (before and during an update) for
# docs/, taken offscreen by the program's own dialogs on sample data.
# Usage: scripts/screenshot-dialogs.sh [build-dir] [docs-dir]
# Sourced, it only defines shoot_dialogs BUILD-DIR DOCS-DIR for a larger screenshot script.
set -euo pipefail

shoot_dialogs() {
  local build=$1 docs=$2
  local shots="$build/tools/dialog-shots/varnel-dialog-shots"
  [ -x "$shots" ] || cmake --build "$build" --target varnel-dialog-shots
  QT_QPA_PLATFORM=offscreen "$shots" "$docs"
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  top=$(cd "$(dirname "$0")/.." && pwd)
  shoot_dialogs "$(cd "${1:-$top/build}" && pwd)" "$(cd "${2:-$top/docs}" && pwd)"
fi
