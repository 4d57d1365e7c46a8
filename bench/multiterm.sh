#!/usr/bin/env bash
# Many search terms at once ("a|b|c..."): quarrix-scan against GNU grep -F -i -f
# and ripgrep -F -i -f on the same tree, with the page cache warm. Prints the
# median wall time of each tool per term count and quarrix-scan's ratio to grep.
#
# Usage: bench/multiterm.sh [TREE]              (default /usr/include)
# Env:   QUARRIX_SCAN       binary to test (default build/release/tools/quarrix-scan)
#        QUARRIX_SCAN_BASE  a second binary to compare (an older build), optional
#        BASE_MAX_TERMS     largest term count given to the second binary (default 1000)
#        BENCH_RUNS         repetitions per tool (default 5; the median is shown)
#        BENCH_COUNTS       term counts (default "3 100 1000 20000")
set -euo pipefail

HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
ROOT=$(cd "$HERE/.." && pwd)
TREE=${1:-/usr/include}
QS=${QUARRIX_SCAN:-$ROOT/build/release/tools/quarrix-scan}
BASE=${QUARRIX_SCAN_BASE:-}
BASE_MAX=${BASE_MAX_TERMS:-1000}
RUNS=${BENCH_RUNS:-5}
COUNTS=${BENCH_COUNTS:-3 100 1000 20000}

[[ -x $QS ]] || { echo "multiterm.sh: $QS is not built" >&2; exit 2; }
command -v rg >/dev/null || { echo "multiterm.sh: rg not found (apt-get install ripgrep)" >&2; exit 2; }

# Outputs go to tmpfs, never to /dev/null: GNU grep stops at the first match
# when its output is /dev/null.
OUT=$(mktemp -d /dev/shm/quarrix-multiterm.XXXXXX)
trap 'rm -rf "$OUT"' EXIT

# Terms: mostly random letters (rare, as most terms of a long list are), one
# in twenty a real word of the tree. Four to six letters each, so that 20,000
# of them joined by "|" stay within one command-line argument (128 KiB).
grep -rhoE '\b[A-Za-z_]{4,6}\b' "$TREE" 2>/dev/null | sort -u > "$OUT/words"
make_terms() {
    awk -v n="$1" -v seed=7 'BEGIN { srand(seed) }
        { words[NR] = $0 }
        END {
            for (i = 0; i < n; i++) {
                if (i % 20 == 0) { print words[int(rand() * NR) + 1]; continue }
                len = 4 + int(rand() * 3); t = ""
                for (j = 0; j < len; j++) t = t sprintf("%c", 97 + int(rand() * 26))
                print t
            }
        }' "$OUT/words"
}

now_us() { local t=${EPOCHREALTIME//[!0-9]/}; echo "$t"; }
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

# Runs one tool once and prints its wall time in microseconds.
time_one() {
    local tool=$1 terms=$2 text=$3 t0 t1
    t0=$(now_us)
    case $tool in
        quarrix) "$QS" -- "$text" "$TREE" > "$OUT/out" 2>/dev/null || true ;;
        base)    "$BASE" -- "$text" "$TREE" > "$OUT/out" 2>/dev/null || true ;;
        grep)    grep -r -F -i -n -a -f "$terms" "$TREE" > "$OUT/out" 2>/dev/null || true ;;
        rg)      rg -j1 -F -i -n -a --no-ignore --hidden -f "$terms" "$TREE" > "$OUT/out" 2>/dev/null || true ;;
    esac
    t1=$(now_us)
    echo $((t1 - t0))
    wc -l < "$OUT/out" > "$OUT/lines.$tool"
}

grep -r -c x "$TREE" > /dev/null 2>&1 || true # warm the page cache
printf '%-8s %-8s %10s %10s  %s\n' terms tool median_s lines "ratio to grep"
for n in $COUNTS; do
    make_terms "$n" > "$OUT/terms"
    text=$(paste -sd'|' "$OUT/terms")
    tools="quarrix grep rg"
    [[ -n $BASE && $n -le $BASE_MAX ]] && tools="quarrix base grep rg"
    declare -A med=()
    for tool in $tools; do
        for ((r = 0; r < RUNS; r++)); do time_one "$tool" "$OUT/terms" "$text"; done | median > "$OUT/med.$tool"
        med[$tool]=$(cat "$OUT/med.$tool")
    done
    for tool in $tools; do
        awk -v n="$n" -v tool="$tool" -v us="${med[$tool]}" -v g="${med[grep]}" \
            -v lines="$(cat "$OUT/lines.$tool")" \
            'BEGIN { printf "%-8s %-8s %10.3f %10d  %.2f\n", n, tool, us / 1e6, lines, us / g }'
    done
    unset med
done
