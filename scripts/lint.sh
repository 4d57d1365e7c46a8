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

# Layers: a folder includes only folders below it in this order (one line per
# level, top first).
layers=("mainwindow" "fileprops editor about" "dialogs" "scan" "controls" "documents" "platform")
layer_faults=0
for ((i = 0; i < ${#layers[@]}; i++)); do
  above=""
  for ((j = 0; j < i; j++)); do above="$above ${layers[j]}"; done
  pattern=$(echo $above | tr ' ' '|')
  for folder in ${layers[i]}; do
    [ -n "$pattern" ] && [ -d "$folder" ] || continue
    if git ls-files "$folder" | grep -E '\.(cpp|h)$' |
      xargs -r grep -nE "^#include \"($pattern)/" /dev/null; then
      layer_faults=1
    fi
  done
done
if [ "$layer_faults" -ne 0 ]; then
  echo "layers: the includes above reach a folder higher in the layer order" >&2
  exit 1
fi
echo "layers: every folder includes only folders below it"
