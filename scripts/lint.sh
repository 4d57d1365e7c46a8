#!/usr/bin/env bash
# Style checks: clang-format must leave every source as it is; clang-tidy's
# findings are listed (run after a release build, which writes the compile
# commands it needs).
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t sources < <(git ls-files '*.cpp' '*.h' | grep -v -E '^bench/')
clang-format --dry-run --Werror "${sources[@]}"
echo "clang-format: ${#sources[@]} files clean"
if [ "${1:-}" = "--tidy" ]; then
  mapfile -t units < <(git ls-files '*.cpp' | grep -v -E '^(bench|fuzz|tests)/')
  printf '%s\n' "${units[@]}" | xargs -P "$(nproc)" -n 4 clang-tidy -p build/release --quiet 2>/dev/null |
    tee /tmp/clang-tidy.log | grep -E 'warning:' || echo "clang-tidy: no findings"
fi
