#!/usr/bin/env bash
# Builds the engine's tests (scan, documents, tools) with the thread sanitizer
# and runs them; any report of a data race fails. Only those targets are built.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)
cmake --preset tsan >/dev/null
tests=()
for dir in scan documents tools; do
  [ -f "tests/$dir/CMakeLists.txt" ] || continue
  while read -r name; do tests+=("$dir/$name"); done \
    < <(sed -n 's/^quarrix_test(\([A-Za-z0-9_]*\).*/\1/p' "tests/$dir/CMakeLists.txt")
done
cmake --build --preset tsan -j "$jobs" --target "${tests[@]##*/}"
export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$PWD/scripts/tsan.supp ${TSAN_OPTIONS:-}"
export QT_QPA_PLATFORM=offscreen
for test in "${tests[@]}"; do
  echo "-- ${test##*/}"
  QUARRIX_TEST_DATA="$PWD/tests/data" "build/tsan/tests/$test" --gtest_brief=1
done
