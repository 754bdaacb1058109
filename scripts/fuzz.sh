#!/usr/bin/env bash
# Builds the libFuzzer targets (tests/fuzz/fuzz_*.cpp) with clang, AddressSanitizer and
# UndefinedBehaviorSanitizer, and runs each for the given number of seconds, seeded from the
# example files. Usage: scripts/fuzz.sh <seconds> [target ...]
# Environment: VARNEL_FUZZ_BUILD (build directory, default build-fuzz), VARNEL_FUZZ_JOBS (-j, 2).
set -euo pipefail
seconds=${1:?usage: scripts/fuzz.sh <seconds> [target ...]}
shift
cd "$(dirname "$0")/.."
root=$PWD
build=${VARNEL_FUZZ_BUILD:-$root/build-fuzz}
jobs=${VARNEL_FUZZ_JOBS:-2}

if [ $# -gt 0 ]; then
  targets=("$@")
else
  targets=()
  for source in tests/fuzz/fuzz_*.cpp; do targets+=("$(basename "$source" .cpp)"); done
fi

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_C_FLAGS="-fsanitize=fuzzer-no-link" -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link" \
  -DVARNEL_SANITIZE=ON -DVARNEL_FUZZ=ON -DVARNEL_BUILD_GUI=OFF -DVARNEL_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" -j "$jobs" --target "${targets[@]}"

# Which example files seed which target.
seed_pattern() {
  case "$1" in
    fuzz_map_file) echo "*.map" ;;
    fuzz_options_file) echo "*.opt" ;;
    fuzz_config_file) echo "*.cfg" ;;
    *) echo "" ;;
  esac
}

failed=0
summary=()
for target in "${targets[@]}"; do
  corpus=$build/corpus/$target
  seeds=$build/seeds/$target
  artifacts=$build/artifacts
  mkdir -p "$corpus" "$seeds" "$artifacts"
  pattern=$(seed_pattern "$target")
  if [ -n "$pattern" ]; then
    find "$root/examples" -maxdepth 1 -name "$pattern" -exec cp {} "$seeds/" \;
  fi
  if [ -d "$root/tests/fuzz/seeds/$target" ]; then cp "$root/tests/fuzz/seeds/$target"/* "$seeds/"; fi

  log=$build/$target.log
  echo "== $target: ${seconds}s"
  set +e
  "$build/tests/fuzz/$target" -max_total_time="$seconds" -timeout=10 -max_len=32768 \
    -artifact_prefix="$artifacts/$target-" -print_final_stats=1 "$corpus" "$seeds" >"$log" 2>&1
  status=$?
  set -e
  runs=$(grep -o 'Done [0-9]* runs' "$log" | tail -1 || true)
  if [ $status -ne 0 ]; then
    failed=1
    summary+=("$target: FAILED (exit $status), see $log and $artifacts")
  else
    summary+=("$target: ${runs:-no summary}, corpus $(ls "$corpus" | wc -l) files")
  fi
done

printf '%s\n' "${summary[@]}"
exit $failed
