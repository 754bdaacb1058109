#!/usr/bin/env bash
# Builds everything (installing what is missing) and runs the demo in a scratch folder.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh build
exec scripts/run-demo.sh build
