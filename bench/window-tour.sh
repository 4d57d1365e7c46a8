#!/usr/bin/env bash
# Walks the main window through the commands on a scan's results under Xvfb
# with the openbox window manager (when installed), the window maximized, and
# saves a screenshot of each step: results in a deep folder, row menu, file
# information, launch question, editor, a mail's row in the editor with its
# find bar, full line, the row menu opened from
# the keyboard, save dialog, saved report, the question before replacing it,
# About, a directory-tree scan, the progress bar mid-run on a bigger tree,
# Help. Then prints the saved report and what Help asked the desktop to open
# (a stand-in opener takes the request, so no browser starts).
# Usage: bench/window-tour.sh [OUT_DIR]
# Env:   SCREEN (default 1920x1080), BIG_FILES files in the bigger tree (3000)
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
OUT=${1:-$ROOT/build/window-tour}
SCREEN=${SCREEN:-1920x1080}
BIN=$ROOT/build/release/bench/quarrix-window-tour
[ -x "$BIN" ] || (cd "$ROOT" && cmake --preset release >/dev/null &&
    cmake --build --preset release -j2 --target quarrix-window-tour)
mkdir -p "$OUT"
rm -f "$OUT"/*.png "$OUT"/report.txt
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
# A folder as deep as users keep theirs, so that the paths must be elided.
FILES=$WORK/projects/customer-archive/2026/quarterly-reports/region-north-west/shared-documents
mkdir -p "$FILES"
printf 'first line\nalpha is here\nnothing\n  GAMMA rays and alpha too  \n' >"$FILES/notes.txt"
printf 'x = 1\ny = alpha(x)\n' >"$FILES/code.py"
printf 'no match in this one\n' >"$FILES/other.txt"
{ printf 'From: anna@example.org\r\nSubject: The quarter\r\nContent-Type: text/plain; charset=utf-8\r\n'
  printf 'Content-Transfer-Encoding: quoted-printable\r\n\r\nHello,\r\n'
  for i in $(seq 60); do printf 'Line %s of the letter, about nothing much.\r\n' "$i"; done
  printf 'The alpha figures for the quarter came in late this time, as the caf=C3=A9 =\r\n'
  printf 'was closed.\r\nRegards,\r\nAnna\r\n'; } >"$FILES/zz-letter.eml"
BIG=$WORK/big
for d in $(seq 30); do mkdir -p "$BIG/part-$d"; done
for i in $(seq 4000); do printf 'line one\n'; done >"$WORK/filler"
printf 'alpha and gamma at the end\n' >>"$WORK/filler"
for i in $(seq "${BIG_FILES:-3000}"); do cp "$WORK/filler" "$BIG/part-$((i % 30 + 1))/file-$i.txt"; done
OPENER=$WORK/opener
mkdir -p "$OPENER"
printf '#!/bin/sh\necho "$*" >>"%s/opened.txt"\n' "$OUT" >"$OPENER/xdg-open"
chmod +x "$OPENER/xdg-open"
rm -f "$OUT/opened.txt"
WM=""
command -v openbox >/dev/null && WM="openbox & sleep 1;"
PATH="$OPENER:$PATH" xvfb-run -a -s "-screen 0 ${SCREEN}x24" \
    sh -c "$WM \"\$0\" \"\$@\"" "$BIN" "$FILES" "$OUT" "$BIG"
echo "--- $OUT/report.txt"
cat "$OUT/report.txt"
echo "--- opened by Help"
cat "$OUT/opened.txt" 2>/dev/null || echo "(nothing)"
