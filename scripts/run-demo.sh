#!/usr/bin/env bash
# The demo: runs the built programs in a scratch folder. Usage: scripts/run-demo.sh <build-dir>
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$top/build}" && pwd)
varnel="$build/src/ui/varnel"
work=$(mktemp -d /tmp/varnel-demo.XXXXXX)
export VARNEL_SETTINGS="$work/registry.reg"
cd "$work"
echo "Demo folder: $work"

run() {
  echo "+ varnel $*"
  local code=0
  "$varnel" "$@" || code=$?
  echo "  (exit code $code)"
}

run --version
# A script names the port once; the next run starts with it.
run sa port:COM7 exit
echo "+ cat $VARNEL_SETTINGS"
cat "$VARNEL_SETTINGS"
# Headless, a message box is written to standard error as "Caption: text".
( unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM; run exit )
echo "+ cat Varnel.log"
tr -d '\r' < Varnel.log
