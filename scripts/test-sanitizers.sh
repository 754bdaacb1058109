#!/usr/bin/env bash
# Builds the AddressSanitizer + UndefinedBehaviorSanitizer variant and runs the unit and
# integration tests in it. Kept apart from scripts/test.sh: a clean sanitizer build and run on
# top of the normal one does not fit that script's hour on a two-core machine.
# Usage: scripts/test-sanitizers.sh [build-dir]   (default build-asan)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-asan}
scripts/setup.sh "$build" -DVARNEL_SANITIZE=ON
cd "$build"
# Leaks count as failures; a report stops the test at once.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
ctest --output-on-failure -j "$(nproc)" --timeout 900 -L 'unit|integration'
