#!/usr/bin/env bash
# Installs what is missing, then builds and runs the whole test suite twice:
# once plain, once with AddressSanitizer and UndefinedBehaviorSanitizer.
# Tests that need a headless X server or a sound server start their own.
# Where clang is installed, the file readers are then fuzzed for a while.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/install-deps.sh"

run_suite() {
  local dir=$1; shift
  bash "$root/scripts/build.sh" "$dir" "$@"
  (cd "$dir" && ctest --output-on-failure --timeout 600)
}

echo "== plain build =="
run_suite "$root/build"

echo "== sanitizer build =="
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:suppressions=$root/tests/asan.supp"
export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
run_suite "$root/build-asan" -DQUILLORA_SANITIZE=ON

echo "== fuzz targets =="
if command -v clang++ >/dev/null 2>&1; then
  CC=clang CXX=clang++ bash "$root/scripts/build.sh" "$root/build-fuzz" -DQUILLORA_FUZZ=ON
  status=0
  (cd "$root/build-fuzz" && ctest --output-on-failure --timeout 600) || status=$?
  # Executions and new inputs of each target.
  awk '/ Testing: / { name = $3 } /^stat::number_of_executed_units/ { runs = $2 }
       /^stat::new_units_added/ { printf "%s: %s executions, %s new inputs\n", name, runs, $2 }' \
    "$root/build-fuzz/Testing/Temporary/LastTest.log"
  exit "$status"
else
  echo "clang++ not found: fuzz targets not built"
fi
