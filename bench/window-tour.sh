#!/usr/bin/env bash
# Walks the main window through the commands on a scan's results under Xvfb,
# with a window manager-free 1024x768 screen, and saves a screenshot of each
# step: results, row menu, file information, launch question, full line, save
# dialog, saved report, About, a directory-tree scan, Help. Then prints the
# saved report and what Help asked the desktop to open (a stand-in opener
# takes the request, so no browser starts).
# Usage: bench/window-tour.sh [OUT_DIR]
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
OUT=${1:-$ROOT/build/window-tour}
BIN=$ROOT/build/release/bench/quarrix-window-tour
[ -x "$BIN" ] || (cd "$ROOT" && cmake --preset release >/dev/null &&
    cmake --build --preset release -j2 --target quarrix-window-tour)
mkdir -p "$OUT"
rm -f "$OUT"/*.png "$OUT"/report.txt
FILES=$(mktemp -d)
trap 'rm -rf "$FILES"' EXIT
printf 'first line\nalpha is here\nnothing\n  GAMMA rays and alpha too  \n' >"$FILES/notes.txt"
printf 'x = 1\ny = alpha(x)\n' >"$FILES/code.py"
printf 'no match in this one\n' >"$FILES/other.txt"
OPENER=$(mktemp -d)
trap 'rm -rf "$FILES" "$OPENER"' EXIT
printf '#!/bin/sh\necho "$*" >>"%s/opened.txt"\n' "$OUT" >"$OPENER/xdg-open"
chmod +x "$OPENER/xdg-open"
rm -f "$OUT/opened.txt"
PATH="$OPENER:$PATH" xvfb-run -a -s "-screen 0 1024x768x24" "$BIN" "$FILES" "$OUT"
echo "--- $OUT/report.txt"
cat "$OUT/report.txt"
echo "--- opened by Help"
cat "$OUT/opened.txt" 2>/dev/null || echo "(nothing)"
