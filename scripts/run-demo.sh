#!/usr/bin/env bash
# The demo: runs the built programs in a scratch folder. Usage: scripts/run-demo.sh <build-dir>
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$top/build}" && pwd)
work=$(mktemp -d /tmp/varnel-demo.XXXXXX)
export VARNEL_SETTINGS="$work/registry.reg"
cd "$work"
echo "Demo folder: $work"
echo "+ varnel --version"
"$build/src/ui/varnel" --version
