#!/usr/bin/env bash
# Times quarrix-scan with its readers against ripgrep with its own threads, on
# the corpora of make-corpora.sh, with the page cache warm and cold. See
# bench/README.md ("Readers").
#
# Usage: bench/parallel.sh [DIR]            (default /var/tmp/quarrix-bench)
# Env:   BENCH_MODES   subset of "warm cold" (default both; cold needs root)
#        BENCH_RUNS    runs per tool and query (default 5 warm, 3 cold)
#        BENCH_TOOLS   tools, run round-robin (default "quarrix rg quarrix:1 rg:1"):
#                      quarrix = default readers, quarrix:N = --readers N,
#                      rg = its default threads, rg:N = rg -jN,
#                      dd = a plain sequential read (dd bs=256K to /dev/null)
#        BENCH_CORPORA subset of "tree big" (default both warm; cold: tree only)
#        BENCH_QUERIES subset of "rare common or" (default all)
#        QUARRIX_SCAN  binary (default build/release/tools/quarrix-scan)
#        QUARRIX_BASE  a second quarrix-scan to compare with, in the same rounds:
#                      tools base and base:N run it as quarrix and quarrix:N
#        BENCH_CLOCK   wall (default) or cpu: user+sys processor time, steadier
#                      than wall time on a busy machine (but blind to idle cores)
set -euo pipefail

HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
ROOT=$(cd "$HERE/.." && pwd)
DIR=${1:-/var/tmp/quarrix-bench}
MODES=${BENCH_MODES:-warm cold}
TOOLS=${BENCH_TOOLS:-quarrix rg quarrix:1 rg:1}
QUERIES=${BENCH_QUERIES:-rare common or}
QS=${QUARRIX_SCAN:-$ROOT/build/release/tools/quarrix-scan}
BASE=${QUARRIX_BASE:-}
CLOCK=${BENCH_CLOCK:-wall}

die() { printf 'parallel.sh: %s\n' "$*" >&2; exit 2; }
[[ $CLOCK == wall || $CLOCK == cpu ]] || die "BENCH_CLOCK is wall or cpu"
[[ -x $QS ]] || die "$QS missing: build the release preset first"
[[ -z $BASE || -x $BASE ]] || die "$BASE missing"
command -v rg >/dev/null || die "rg not found (apt-get install ripgrep)"
"$HERE/make-corpora.sh" "$DIR" >&2

OUT=$(mktemp -d /dev/shm/quarrix-parallel.XXXXXX)
trap 'rm -rf "$OUT"' EXIT

declare -A TEXT=([rare]=frobnicate [common]=include [or]='mutex|semaphore')
declare -A PATS=([rare]=frobnicate [common]=include [or]='mutex semaphore')

now_us() { local t=${EPOCHREALTIME//[!0-9]/}; echo "$t"; }
median_s() { tr ' ' '\n' | grep . | sort -n | awk '{v[NR]=$1} END {
    m = (NR % 2) ? v[(NR+1)/2] : (v[NR/2] + v[NR/2+1]) / 2; printf "%.3f", m / 1e6 }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (a == "" || b == "" || b == 0) print "-"; else printf "%.2f", a / b }'; }

# Runs one tool once on path; prints the elapsed (or processor) microseconds.
run_once() {
    local tool=$1 path=$2 query=$3 t0 t1 rc=0 p TIMEFORMAT='%3U %3S'
    local -a e=()
    for p in ${PATS[$query]}; do e+=(-e "$p"); done
    [[ $MODE == cold ]] && { sync; echo 3 > /proc/sys/vm/drop_caches; }
    t0=$(now_us)
    { time { case $tool in
        quarrix)   "$QS" -- "${TEXT[$query]}" "$path" ;;
        quarrix:*) "$QS" --readers "${tool#*:}" -- "${TEXT[$query]}" "$path" ;;
        base)      "$BASE" -- "${TEXT[$query]}" "$path" ;;
        base:*)    "$BASE" --readers "${tool#*:}" -- "${TEXT[$query]}" "$path" ;;
        rg)        rg -i -F -n -a "${e[@]}" "$path" ;;
        rg:*)      rg -j"${tool#*:}" -i -F -n -a "${e[@]}" "$path" ;;
        dd)        [[ -f $path ]] && dd if="$path" of=/dev/null bs=256K status=none ;;
        *) die "unknown tool $tool" ;;
    esac > "$OUT/out" 2> "$OUT/err" || rc=$?; }; } 2> "$OUT/time"
    t1=$(now_us)
    (( rc <= 1 )) || { head -5 "$OUT/err" >&2; die "$tool failed with exit code $rc"; }
    if [[ $CLOCK == cpu ]]; then
        awk '{ printf "%d\n", ($1 + $2) * 1e6 }' "$OUT/time"
    else
        echo $((t1 - t0))
    fi
}

echo "# readers benchmark  $(date -u '+%Y-%m-%d %H:%M UTC')  $(nproc) cores  load $(cut -d' ' -f1-3 /proc/loadavg)"
echo "# $(rg --version | head -1); quarrix-scan default readers: ${QUARRIX_READERS:-from the machine}"
echo "# medians in seconds ($CLOCK); q/rg = quarrix / rg (default threads); q1/rg1 = quarrix:1 / rg:1"
header=$(printf '%-5s %-5s %-7s' mode corpus query)
for tool in $TOOLS; do header+=$(printf ' %10s' "$tool"); done
[[ -n $BASE ]] && header+="   q/base" || true
[[ " $TOOLS " == *" dd "* ]] && header+="   q/dd" || true
echo "$header   q/rg  q1/rg1"
for MODE in $MODES; do
    runs=${BENCH_RUNS:-$([[ $MODE == cold ]] && echo 3 || echo 5)}
    corpora=${BENCH_CORPORA:-$([[ $MODE == cold ]] && echo tree || echo "tree big")}
    for corpus in $corpora; do
        path=$DIR/tree
        [[ $corpus == big ]] && path=$DIR/big.txt
        for query in $QUERIES; do
            declare -A times=()
            [[ $MODE == warm ]] && for tool in $TOOLS; do run_once "$tool" "$path" "$query" >/dev/null; done
            for ((r = 0; r < runs; r++)); do
                for tool in $TOOLS; do times[$tool]+=" $(run_once "$tool" "$path" "$query")"; done
            done
            line=$(printf '%-5s %-5s %-7s' "$MODE" "$corpus" "$query")
            declare -A med=()
            for tool in $TOOLS; do
                med[$tool]=$(median_s <<< "${times[$tool]}")
                line+=$(printf ' %10s' "${med[$tool]}")
            done
            [[ -n $BASE ]] && line+="   $(ratio "${med[quarrix]:-}" "${med[base]:-}")" || true
            [[ " $TOOLS " == *" dd "* ]] && line+="   $(ratio "${med[quarrix]:-}" "${med[dd]:-}")" || true
            echo "$line   $(ratio "${med[quarrix]:-}" "${med[rg]:-}")  $(ratio "${med[quarrix:1]:-}" "${med[rg:1]:-}")"
            unset times med
        done
    done
done
