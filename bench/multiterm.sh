#!/usr/bin/env bash
# Many search terms at once ("a|b|c..."): quarrix-scan against GNU grep -F -i -f
# and ripgrep -F -i -f on the same tree, with the page cache warm. Prints the
# median wall time of each tool per term count and quarrix-scan's ratio to grep.
#
# Usage: bench/multiterm.sh [TREE]    (default: a copy of /usr/include without
#                                     links, in /var/tmp/quarrix-multiterm, so
#                                     that every tool reads the same files)
# Env:   QUARRIX_SCAN       binary to test (default build/release/tools/quarrix-scan)
#        QUARRIX_SCAN_BASE  a second binary to compare (an older build), optional
#        BASE_MAX_TERMS     largest term count given to the second binary (default 1000)
#        BENCH_RUNS         repetitions per tool (default 5; the median is shown)
#        BENCH_COUNTS       term counts (default "3 100 1000 20000")
set -euo pipefail

HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
ROOT=$(cd "$HERE/.." && pwd)
TREE=${1:-}
QS=${QUARRIX_SCAN:-$ROOT/build/release/tools/quarrix-scan}
BASE=${QUARRIX_SCAN_BASE:-}
BASE_MAX=${BASE_MAX_TERMS:-1000}
RUNS=${BENCH_RUNS:-5}
COUNTS=${BENCH_COUNTS:-3 100 1000 20000}

if [[ -z $TREE ]]; then
    TREE=/var/tmp/quarrix-multiterm/include
    if [[ ! -f $TREE/.complete ]]; then
        rm -rf "$TREE" && mkdir -p "$(dirname "$TREE")"
        cp -r /usr/include "$TREE" && find "$TREE" -type l -delete && touch "$TREE/.complete"
    fi
fi
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

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

# Runs one tool once and prints its wall time and its processor time (user
# and system), in seconds: on a shared machine the second is the steadier.
time_one() {
    local tool=$1 terms=$2 text=$3
    local -a cmd
    case $tool in
        quarrix) cmd=("$QS" -- "$text" "$TREE") ;;
        base)    cmd=("$BASE" -- "$text" "$TREE") ;;
        grep)    cmd=(grep -r -F -i -n -a -f "$terms" "$TREE") ;;
        grepcase) cmd=(grep -r -F -n -a -f "$terms" "$TREE") ;;
        rg)      cmd=(rg -j1 -F -i -n -a --no-ignore --hidden -f "$terms" "$TREE") ;;
    esac
    /usr/bin/time -f "%e %U %S" -o "$OUT/time" "${cmd[@]}" > "$OUT/out" 2>/dev/null || true
    awk '{ printf "%s %.2f\n", $1, $2 + $3 }' "$OUT/time"
    wc -l < "$OUT/out" > "$OUT/lines.$tool"
}

grep -r -c x "$TREE" > /dev/null 2>&1 || true # warm the page cache
# grep: grep -F -i; grepcase: grep -F, letter case kept (faster, not the same search).
printf '%-6s %-9s %8s %8s %9s  %s\n' terms tool wall_s cpu_s lines "ratio to grep (wall, cpu)"
for n in $COUNTS; do
    make_terms "$n" > "$OUT/terms"
    text=$(paste -sd'|' "$OUT/terms")
    tools="quarrix grep grepcase rg"
    [[ -n $BASE && $n -le $BASE_MAX ]] && tools="quarrix base grep grepcase rg"
    for tool in $tools; do
        for ((r = 0; r < RUNS; r++)); do time_one "$tool" "$OUT/terms" "$text"; done > "$OUT/runs.$tool"
        cut -d' ' -f1 "$OUT/runs.$tool" | median > "$OUT/wall.$tool"
        cut -d' ' -f2 "$OUT/runs.$tool" | median > "$OUT/cpu.$tool"
    done
    for tool in $tools; do
        awk -v n="$n" -v tool="$tool" -v w="$(cat "$OUT/wall.$tool")" -v c="$(cat "$OUT/cpu.$tool")" \
            -v gw="$(cat "$OUT/wall.grep")" -v gc="$(cat "$OUT/cpu.grep")" \
            -v lines="$(cat "$OUT/lines.$tool")" \
            'BEGIN { printf "%-6s %-9s %8.2f %8.2f %9d  %.2f %.2f\n", n, tool, w, c, lines, w / gw, (gc > 0 ? c / gc : 0) }'
    done
done
