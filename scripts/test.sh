#!/usr/bin/env bash
# Builds everything (installing what is missing) and runs every test: unit, integration, gui.
# Then builds the AddressSanitizer + UndefinedBehaviorSanitizer variant in its own folder and
# runs the tests there too (scripts/test-sanitizers.sh). Fails when either run fails.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh build
status=0
(cd build && ctest --output-on-failure -j "$(nproc)" --timeout 600) || status=$?
scripts/test-sanitizers.sh build-asan || status=$?
exit "$status"
