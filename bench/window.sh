#!/usr/bin/env bash
# Benchmarks of the main window, on the offscreen platform:
#  (a) a directory-tree scan through the window against quarrix-scan on the
#      same corpus (limit: 1.2 times as long);
#  (b) the longest wait between two turns of the window's event loop during
#      that scan (limit: under 50 ms);
#  (c) a scan recording one million matches: it finishes, the window stays
#      live, and the rows hold at most 3 times their text's bytes plus 100
#      bytes a row; then the same with five million (gap limit: under 50 ms).
# Usage: bench/window.sh [DIR]          (DIR as for bench/run.sh: corpora built there
#                                       when missing; a folder holding anything else
#                                       is refused)
#        bench/window.sh --tree FOLDER  (FOLDER scanned as it is, e.g. /usr; no (c))
# Env:   BENCH_RUNS runs per tool and query (default 5; medians are shown),
#        BENCH_TREE_ONLY=1 to leave out (c)
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
die() { printf 'window.sh: %s\n' "$*" >&2; exit 2; }
TREE=""
if [ "${1:-}" = --tree ]; then
    TREE=${2:-}
    [ -d "$TREE" ] || die "--tree needs a folder"
    BENCH_TREE_ONLY=1
fi
DIR=${1:-/var/tmp/quarrix-bench}
RUNS=${BENCH_RUNS:-5}
QS=$ROOT/build/release/tools/quarrix-scan
QW=$ROOT/build/release/bench/quarrix-window-bench
export QT_QPA_PLATFORM=offscreen

if [ -z "$TREE" ]; then
    # make-corpora.sh deletes and writes inside the folder: only an empty or
    # missing one becomes a corpora folder.
    if [ ! -f "$DIR/.complete" ]; then
        [ ! -e "$DIR" ] || [ -z "$(ls -A "$DIR")" ] ||
            die "$DIR is not a corpora folder (no .complete); use --tree to scan a folder as it is"
        bash "$ROOT/bench/make-corpora.sh" "$DIR"
    fi
    TREE=$DIR/tree
fi
[ -x "$QS" ] && [ -x "$QW" ] || (cd "$ROOT" && cmake --preset release >/dev/null &&
    cmake --build --preset release)
"$QS" warmup "$TREE" >/dev/null || true

median() { sort -n | awk '{a[NR]=$1} END {print (NR%2) ? a[(NR+1)/2] : (a[NR/2]+a[NR/2+1])/2}'; }
now_ms() { local t=${EPOCHREALTIME//[!0-9]/}; echo $((t / 1000)); }

echo "# window benchmark  $(date -u '+%Y-%m-%d %H:%M UTC')  $(nproc) cores  load $(cut -d' ' -f1-3 /proc/loadavg)"
printf '%-8s %10s %10s %7s %8s %8s %9s %8s\n' query scan_ms window_ms ratio gap_med gap_max slice_max \
    rows
for text in include 'mutex|semaphore'; do
    scan_ms=() win_ms=() gaps=() slices=() rows=""
    for _ in $(seq "$RUNS"); do
        t0=$(now_ms); "$QS" "$text" "$TREE" >/dev/null || true; t1=$(now_ms)
        scan_ms+=($((t1 - t0)))
        out=$("$QW" tree "$TREE" "$text" 2>/dev/null)
        win_ms+=($(sed -n 's/^tree scan: \([0-9]*\) ms.*/\1/p' <<<"$out"))
        gaps+=($(sed -n 's/.*longest gap \([0-9]*\) ms.*/\1/p' <<<"$out"))
        slices+=($(sed -n 's/.*longest slice \([0-9]*\) ms.*/\1/p' <<<"$out"))
        rows=$(sed -n 's/.* ms, \([0-9]*\) rows.*/\1/p' <<<"$out")
    done
    s=$(printf '%s\n' "${scan_ms[@]}" | median)
    w=$(printf '%s\n' "${win_ms[@]}" | median)
    gm=$(printf '%s\n' "${gaps[@]}" | median)
    g=$(printf '%s\n' "${gaps[@]}" | sort -n | tail -1)
    sl=$(printf '%s\n' "${slices[@]}" | sort -n | tail -1)
    ratio=$(awk -v w="$w" -v s="$s" 'BEGIN { printf "%.2f", w / s }')
    printf '%-8s %10s %10s %7s %8s %8s %9s %8s\n' "${text:0:8}" "$s" "$w" "$ratio" "$gm" "$g" "$sl" \
        "$rows"
done
echo "# gap: longest wait between two turns of the event loop in one run, ms (median and worst"
echo "# of the runs); slice_max: the most processor time the window's thread took between two"
echo "# turns (a gap longer than it is the machine's, not the window's); window_ms includes the"
echo "# walk and every row reaching the view"
[ "${BENCH_TREE_ONLY:-0}" = 1 ] && exit 0
"$QW" million 2>/dev/null
"$QW" million 5000000 2>/dev/null
