#!/usr/bin/env bash
# Regular expressions, whole word and match case: quarrix-scan against ripgrep
# (its default threads) on the bench tree and the 1 GB file, page cache warm,
# side by side in one run. Prints median wall times and quarrix-scan's ratio.
#
# Usage: bench/regex.sh          (corpora from bench/make-corpora.sh)
# Env:   QUARRIX_SCAN  binary to test (default build/release/tools/quarrix-scan)
#        BENCH_CORPORA corpora folder (default /var/tmp/quarrix-bench)
#        BENCH_RUNS    repetitions per tool (default 5; the median is shown)
set -euo pipefail

HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
ROOT=$(cd "$HERE/.." && pwd)
QS=${QUARRIX_SCAN:-$ROOT/build/release/tools/quarrix-scan}
CORPORA=${BENCH_CORPORA:-/var/tmp/quarrix-bench}
RUNS=${BENCH_RUNS:-5}

[[ -x $QS ]] || { echo "regex.sh: $QS is not built" >&2; exit 2; }
command -v rg >/dev/null || { echo "regex.sh: rg not found (apt-get install ripgrep)" >&2; exit 2; }
[[ -f $CORPORA/.complete ]] || { echo "regex.sh: run bench/make-corpora.sh first" >&2; exit 2; }

# Outputs go to tmpfs, never to /dev/null, so no tool can stop at its first match.
OUT=$(mktemp -d /dev/shm/quarrix-regex.XXXXXX)
trap 'rm -rf "$OUT"' EXIT

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

# One timed run of a command; prints its wall time in seconds.
time_one() {
    /usr/bin/time -f "%e" -o "$OUT/time" "$@" > "$OUT/out" 2>/dev/null || true
    tail -n 1 "$OUT/time" # GNU time puts a line before it for a status other than 0
}

# Median of RUNS runs of a command, and the line count of its last output.
measure() {
    local t
    t=$(for ((r = 0; r < RUNS; r++)); do time_one "$@"; done | median)
    echo "$t $(wc -l < "$OUT/out")"
}

row() { # name, target, quarrix-scan arguments..., then -- and rg arguments...
    local name=$1 target=$2
    shift 2
    local -a qs=() rgargs=()
    while [[ $1 != -- ]]; do qs+=("$1"); shift; done
    shift
    rgargs=("$@")
    read -r qt ql < <(measure "$QS" "${qs[@]}" "$target")
    read -r rt rl < <(measure rg -n -a --no-ignore --hidden "${rgargs[@]}" "$target")
    awk -v n="$name" -v q="$qt" -v r="$rt" -v ql="$ql" -v rl="$rl" \
        'BEGIN { printf "%-28s %8.2f %8.2f %7.2fx %9d %9d\n", n, q, r, (r > 0 ? q / r : 0), ql, rl }'
}

cat "$CORPORA/big.txt" > /dev/null
grep -r -c x "$CORPORA/tree" > /dev/null 2>&1 || true # warm the page cache

for target in "$CORPORA/tree" "$CORPORA/big.txt"; do
    echo "== $target (median of $RUNS, seconds; lines: quarrix-scan's include its report lines)"
    printf '%-28s %8s %8s %8s %9s %9s\n' search quarrix rg ratio q_lines rg_lines
    row '\w+_mutex' "$target" -E '\w+_mutex' -- -i '\w+_mutex'
    row '[A-Z]{4,}[0-9]+' "$target" -E --match-case '[A-Z]{4,}[0-9]+' -- '[A-Z]{4,}[0-9]+'
    row '(foo|bar|baz)qux' "$target" -E '(foo|bar|baz)qux' -- -i '(foo|bar|baz)qux'
    row '^\s*#\s*include' "$target" -E '^\s*#\s*include' -- -i '^\s*#\s*include'
    row '\p{Lu}\p{Ll}+ung (-i)' "$target" -E '\p{Lu}\p{Ll}+ung' -- -i '\p{Lu}\p{Ll}+ung'
    echo "-- whole word and match case against the plain search"
    read -r plain _ < <(measure "$QS" mutex "$target")
    read -r word _ < <(measure "$QS" -w mutex "$target")
    read -r mcase _ < <(measure "$QS" --match-case mutex "$target")
    awk -v p="$plain" -v w="$word" -v c="$mcase" 'BEGIN {
        printf "plain %.2f  whole word %.2f (%.2fx)  match case %.2f (%.2fx)\n",
            p, w, (p > 0 ? w / p : 0), c, (p > 0 ? c / p : 0) }'
done
