#!/usr/bin/env bash
# Refreshes the pictures of the user manual (dist/manual/images) from the
# window tour under Xvfb. Run after the window changes; the pictures are kept
# in the tree so that building the manual needs no display.
# Usage: bench/manual-screenshots.sh
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
TOUR=$(mktemp -d)
trap 'rm -rf "$TOUR"' EXIT
bash "$ROOT/bench/window-tour.sh" "$TOUR" >"$TOUR/tour.log" 2>&1 || { cat "$TOUR/tour.log"; exit 1; }
for shot in scanned preview preview-document row-menu file-information launch-question full-line save-dialog about \
    directory-tree editor-highlighted editor-find-bar; do
  found=("$TOUR"/[0-9][0-9]-"$shot".png)
  [ -f "${found[0]}" ] || { echo "the tour made no $shot shot" >&2; exit 1; }
  cp "${found[0]}" "$ROOT/dist/manual/images/$shot.png"
done
ls -l "$ROOT/dist/manual/images"
