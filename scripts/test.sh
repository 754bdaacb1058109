#!/usr/bin/env bash
# Builds everything (installing what is missing) and runs every test: unit, integration, gui.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh build
cd build
ctest --output-on-failure -j "$(nproc)" --timeout 600
