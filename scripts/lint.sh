#!/usr/bin/env bash
# Style checks: clang-format must leave every source as it is; with --tidy,
# clang-tidy must find nothing in the product's units (run after a release
# build, which writes the compile commands it needs).
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t sources < <(git ls-files '*.cpp' '*.h' | grep -v -E '^bench/')
clang-format --dry-run --Werror "${sources[@]}"
echo "clang-format: ${#sources[@]} files clean"
if [ "${1:-}" = "--tidy" ]; then
  # One clang-tidy per unit, as many at once as there are cores; a header's
  # finding is reported by every unit that includes it, so each is listed once.
  if [ ! -f build/release/compile_commands.json ]; then
    echo "clang-tidy: build the release preset first (it writes the compile commands)" >&2
    exit 1
  fi
  log=$(mktemp)
  trap 'rm -f "$log"' EXIT
  start=$SECONDS
  status=0
  git ls-files -z '*.cpp' | grep -z -v -E '^(bench|fuzz|tests)/' |
    xargs -0 -P "$(nproc)" -n 1 clang-tidy -p build/release --quiet >"$log" 2>&1 || status=$?
  if [ "$status" -ne 0 ]; then
    grep -E ': (warning|error): |^Error ' "$log" | sort -u || cat "$log"
    echo "clang-tidy: findings above ($((SECONDS - start)) s)" >&2
    exit 1
  fi
  echo "clang-tidy: no findings ($((SECONDS - start)) s)"
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
