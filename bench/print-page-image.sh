#!/usr/bin/env bash
# Prints a sample text as the editor does (search word in red) to a PDF and
# renders its first page as a PNG, to look at the header, rules, page label
# and footer. Usage: bench/print-page-image.sh [output.png]  (after a release build)
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:-build/print-page.png}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for i in $(seq 1 90); do
  echo "Line $i: the quick brown fox jumps over the lazy dog, and the fox runs on."
done > "$work/sample.txt"
QT_QPA_PLATFORM=offscreen build/release/bench/quarrix-print-page "$work/sample.txt" fox "$work/page.pdf"
pdftoppm -png -r 80 -f 1 -singlefile "$work/page.pdf" "${out%.png}"
echo "$out"
