#!/usr/bin/env bash
# Builds the AddressSanitizer + UndefinedBehaviorSanitizer variant in a folder of its own and
# runs every test in it: unit, integration and gui. scripts/test.sh runs it after the normal
# build and tests. Usage: scripts/test-sanitizers.sh [build-dir]   (default build-asan)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-asan}
# Unoptimised: the sanitizers compile an optimised build at half the speed, and the tests spend
# their time in the protocol's pauses rather than in our code.
scripts/setup.sh "$build" -DVARNEL_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
cd "$build"
# Leaks count as failures; a report stops the test at once.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
ctest --output-on-failure -j "$(nproc)" --timeout 900
