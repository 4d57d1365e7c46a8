#!/usr/bin/env bash
# Takes a screenshot of the main window after a real directory-tree scan,
# under Xvfb, as a user without a display would see it.
# Usage: bench/window-screenshot.sh [OUT.png] [FOLDER] [SEARCH_TEXT]
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
OUT=${1:-$ROOT/build/window-screenshot.png}
FOLDER=${2:-/usr/include}
TEXT=${3:-mutex|semaphore}
BIN=$ROOT/build/release/bench/quarrix-window-bench
[ -x "$BIN" ] || (cd "$ROOT" && cmake --preset release >/dev/null && cmake --build --preset release)
mkdir -p "$(dirname "$OUT")"
xvfb-run -a -s "-screen 0 1024x768x24" "$BIN" tree "$FOLDER" "$TEXT" --shot "$OUT"
