#!/usr/bin/env bash
# Peak memory and time on files with huge lines: a 10 GB sparse file (no line
# end at all, as disk images and swap files) and one 500 MB line that matches.
# quarrix-scan against GNU grep and ripgrep; peak resident memory from
# /usr/bin/time -v, medians over the runs, ratios to grep.
#
# Usage: bench/longline.sh [DIR]               (default /var/tmp/quarrix-longline)
# Env:   QUARRIX_SCAN       binary to test (default build/release/tools/quarrix-scan)
#        QUARRIX_SCAN_BASE  a second binary to compare (an older build), optional
#        BENCH_RUNS         repetitions per tool and file (default 3)
#        SPARSE_GB          size of the sparse file (default 10)
#        LINE_MB            length of the long line (default 500)
set -euo pipefail

HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
ROOT=$(cd "$HERE/.." && pwd)
DIR=${1:-/var/tmp/quarrix-longline}
QS=${QUARRIX_SCAN:-$ROOT/build/release/tools/quarrix-scan}
BASE=${QUARRIX_SCAN_BASE:-}
RUNS=${BENCH_RUNS:-3}
SPARSE_GB=${SPARSE_GB:-10}
LINE_MB=${LINE_MB:-500}

[[ -x $QS ]] || { echo "longline.sh: $QS is not built" >&2; exit 2; }
command -v rg >/dev/null || { echo "longline.sh: rg not found (apt-get install ripgrep)" >&2; exit 2; }
[[ -x /usr/bin/time ]] || { echo "longline.sh: /usr/bin/time not found (apt-get install time)" >&2; exit 2; }

mkdir -p "$DIR"
SPARSE="$DIR/sparse-${SPARSE_GB}g.img"
LINE="$DIR/line-${LINE_MB}m.txt"
[[ -f $SPARSE ]] || truncate -s "${SPARSE_GB}G" "$SPARSE"
if [[ ! -f $LINE ]]; then
    { echo "first line"; head -c "${LINE_MB}M" /dev/zero | tr '\0' 'x'; echo " needle"; echo "last line needle"; } > "$LINE"
fi
OUT=$(mktemp -d /dev/shm/quarrix-longline.XXXXXX)
trap 'rm -rf "$OUT"' EXIT

# Runs one tool once; prints "seconds peak_kB".
measure() {
    local tool=$1 file=$2
    local -a cmd
    case $tool in
        quarrix) cmd=("$QS" -- needle "$file") ;;
        base)    cmd=("$BASE" -- needle "$file") ;;
        grep)    cmd=(grep -F -i -n -a needle "$file") ;;
        rg)      cmd=(rg -j1 -F -i -n -a needle "$file") ;;
    esac
    /usr/bin/time -v -o "$OUT/time" "${cmd[@]}" > "$OUT/out" 2>/dev/null || true
    awk -F': ' '/Elapsed \(wall clock\)/ { n = split($2, p, ":"); s = p[n] + 60 * p[n - 1] + (n > 2 ? 3600 * p[n - 2] : 0) }
                /Maximum resident set size/ { kb = $2 }
                END { printf "%.2f %d\n", s, kb }' "$OUT/time"
}
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

tools="quarrix grep rg"
[[ -n $BASE ]] && tools="quarrix base grep rg"
printf '%-22s %-8s %9s %11s %12s %12s\n' file tool median_s peak_MB "time/grep" "memory/grep"
for file in "$SPARSE" "$LINE"; do
    for tool in $tools; do
        for ((r = 0; r < RUNS; r++)); do measure "$tool" "$file"; done > "$OUT/runs.$tool"
        cut -d' ' -f1 "$OUT/runs.$tool" | median > "$OUT/s.$tool"
        cut -d' ' -f2 "$OUT/runs.$tool" | median > "$OUT/kb.$tool"
    done
    for tool in $tools; do
        awk -v f="$(basename "$file")" -v tool="$tool" -v s="$(cat "$OUT/s.$tool")" -v kb="$(cat "$OUT/kb.$tool")" \
            -v gs="$(cat "$OUT/s.grep")" -v gkb="$(cat "$OUT/kb.grep")" \
            'BEGIN { printf "%-22s %-8s %9.2f %11.1f %12.2f %12.2f\n", f, tool, s, kb / 1024, (gs > 0 ? s / gs : 0), kb / gkb }'
    done
done
