#!/usr/bin/env bash
# Times quarrix-scan against ripgrep (one thread), GNU grep and a plain read of
# the same bytes, on the corpora made by make-corpora.sh. See bench/README.md.
#
# Usage: bench/run.sh [DIR]                  (default /var/tmp/quarrix-bench)
# Env:   QUARRIX_SCAN  binary to test (default build/release/tools/quarrix-scan,
#                      built with the release preset if missing)
#        BENCH_RUNS    repetitions per tool and query (default 5; median is shown)
#        BENCH_TOOLS   subset of "quarrix rg grep read" (default all four)
#        BENCH_RARE    the rare word (default frobnicate: a handful of lines)
#        BENCH_CORPORA subset of "tree big" (default both)
set -euo pipefail

HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
ROOT=$(cd "$HERE/.." && pwd)
DIR=${1:-/var/tmp/quarrix-bench}
RUNS=${BENCH_RUNS:-5}
TOOLS=${BENCH_TOOLS:-quarrix rg grep read}
CORPORA=${BENCH_CORPORA:-tree big}
RARE=${BENCH_RARE:-frobnicate}
QS=${QUARRIX_SCAN:-$ROOT/build/release/tools/quarrix-scan}

die() { printf 'run.sh: %s\n' "$*" >&2; exit 2; }
log() { printf '[bench] %s\n' "$*" >&2; }
has_tool() { [[ " $TOOLS " == *" $1 "* ]]; }

[[ $RUNS =~ ^[1-9][0-9]*$ ]] || die "BENCH_RUNS must be a positive integer"
for t in $TOOLS; do
    case $t in quarrix|rg|grep|read) ;; *) die "unknown tool '$t' in BENCH_TOOLS" ;; esac
done
has_tool rg && { command -v rg >/dev/null || die "rg not found (apt-get install ripgrep)"; }

if has_tool quarrix && [[ ! -x $QS ]]; then
    [[ -n ${QUARRIX_SCAN:-} ]] && die "QUARRIX_SCAN=$QS is not an executable"
    log "quarrix-scan missing; building the release preset"
    (cd "$ROOT" && cmake --preset release && cmake --build --preset release) \
        || die "release build failed"
    [[ -x $QS ]] || die "release build did not produce $QS"
fi

"$HERE/make-corpora.sh" "$DIR"
TREE="$DIR/tree"
BIG="$DIR/big.txt"

# The read baseline is a small C program, not cat via xargs, so it is not
# charged for thousands of process starts that no searcher pays.
READALL="$DIR/bin/readall"
if [[ ! -x $READALL || $HERE/readall.c -nt $READALL ]]; then
    mkdir -p "$DIR/bin"
    cc -O2 -o "$READALL" "$HERE/readall.c"
fi

# Outputs go to tmpfs, never to /dev/null: GNU grep notices a /dev/null stdout
# and stops at the first match, which would make it look far faster than it is.
OUT=$(mktemp -d /dev/shm/quarrix-bench.XXXXXX)
trap 'rm -rf "$OUT"' EXIT

log "warming the page cache (two full reads)"
"$READALL" "$TREE" "$BIG" 2>/dev/null
"$READALL" "$TREE" "$BIG" 2>/dev/null

# Query table: label, quarrix-scan search text, patterns for rg/grep.
Q_LABEL=(rare common or and)
Q_TEXT=("$RARE" include 'mutex|semaphore' 'mutex&lock')
Q_PATS=("$RARE" include 'mutex semaphore' mutex)

now_us() { local t=${EPOCHREALTIME//[!0-9]/}; echo "$t"; }

# Runs one tool once; sets ELAPSED_US and RC. Exit code 1 ("nothing found")
# is a normal outcome for every tool here; anything above it is a failure.
run_once() {
    local tool=$1 path=$2 text=$3 pats=$4 t0 t1
    local -a e=()
    local p
    for p in $pats; do e+=(-e "$p"); done
    RC=0
    t0=$(now_us)
    case $tool in
        quarrix) "$QS" -- "$text" "$path" ;;
        rg)      rg -j1 -i -F -n -a "${e[@]}" "$path" ;;
        grep)    LC_ALL=C grep -rinaF "${e[@]}" "$path" ;;
        read)    "$READALL" "$path" ;;
    esac > "$OUT/$tool.out" 2> "$OUT/$tool.err" || RC=$?
    t1=$(now_us)
    ELAPSED_US=$((t1 - t0))
    if (( RC > 1 )); then
        log "$tool failed with exit code $RC on '$text' $path:"
        head -5 "$OUT/$tool.err" >&2
        exit 1
    fi
}

median_s() { tr ' ' '\n' | grep . | sort -n | awk '{v[NR]=$1} END {
    m = (NR % 2) ? v[(NR+1)/2] : (v[NR/2] + v[NR/2+1]) / 2; printf "%.3f", m / 1e6 }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (a == "-" || b == "-" || b == 0) print "-"; else printf "%.2f", a / b }'; }

{
    echo "# quarrix-scan benchmark  $(date -u '+%Y-%m-%d %H:%M UTC')  $(nproc) cores"
    echo "# rg: $(rg --version | head -1)   grep: $(grep --version | head -1)"
    has_tool quarrix && echo "# quarrix-scan: $QS"
    echo "# corpora: $(tr '\n' ' ' < "$DIR/.complete")"
    echo "# median of $RUNS runs, seconds, page cache warm; tools run round-robin"
    echo "# 'and' row: rg and grep have no AND, they search only 'mutex'; quarrix searches 'mutex&lock'"
    printf '%-6s %-7s %8s %8s %8s %8s %6s %7s %9s %9s %9s  %s\n' \
        corpus query quarrix rg grep read q/rg q/grep n_quarrix n_rg n_grep check
} | tee "$OUT/table"

for corpus in $CORPORA; do
    case $corpus in
        tree) path=$TREE; limit=1.25 ;;
        big)  path=$BIG;  limit=1.50 ;;
        *) die "unknown corpus '$corpus'" ;;
    esac
    for qi in "${!Q_LABEL[@]}"; do
        label=${Q_LABEL[$qi]}
        declare -A times=() count=() lastrc=()
        for ((r = 1; r <= RUNS; r++)); do
            for tool in $TOOLS; do
                run_once "$tool" "$path" "${Q_TEXT[$qi]}" "${Q_PATS[$qi]}"
                times[$tool]+=" $ELAPSED_US"
                lastrc[$tool]=$RC
            done
        done
        for tool in quarrix rg grep; do
            if ! has_tool "$tool"; then count[$tool]=-; continue; fi
            if [[ $tool == quarrix ]]; then
                count[$tool]=$(grep -c '^FILE: ' "$OUT/$tool.out" || true)
            else
                count[$tool]=$(wc -l < "$OUT/$tool.out")
            fi
        done
        declare -A med=()
        for tool in quarrix rg grep read; do
            if has_tool "$tool"; then med[$tool]=$(median_s <<< "${times[$tool]}"); else med[$tool]=-; fi
        done
        q_rg=$(ratio "${med[quarrix]}" "${med[rg]}")
        q_grep=$(ratio "${med[quarrix]}" "${med[grep]}")

        notes=()
        if has_tool quarrix; then
            nq=${count[quarrix]}
            if [[ ${count[rg]} != - ]]; then
                if [[ $label == and ]]; then
                    (( nq <= count[rg] )) || notes+=("count>rg!")
                elif [[ $nq != "${count[rg]}" ]]; then
                    notes+=("count!=rg")
                fi
            fi
            # Exit code must agree with the report: 0 with matches, 1 without.
            want_rc=$(( nq > 0 ? 0 : 1 ))
            (( lastrc[quarrix] == want_rc )) || notes+=("exit=${lastrc[quarrix]}")
            if [[ $q_rg != - ]]; then
                awk -v r="$q_rg" -v l="$limit" 'BEGIN { exit !(r > l) }' && notes+=("slow-vs-rg")
            fi
            if [[ $q_grep != - ]]; then
                awk -v r="$q_grep" 'BEGIN { exit !(r > 1.0) }' && notes+=("slow-vs-grep")
            fi
        fi
        if [[ ${count[rg]} != - && ${count[grep]} != - && ${count[rg]} != "${count[grep]}" ]]; then
            notes+=("rg!=grep")
        fi
        check=${notes[*]:-ok}
        printf '%-6s %-7s %8s %8s %8s %8s %6s %7s %9s %9s %9s  %s\n' \
            "$corpus" "$label" "${med[quarrix]}" "${med[rg]}" "${med[grep]}" "${med[read]}" \
            "$q_rg" "$q_grep" "${count[quarrix]}" "${count[rg]}" "${count[grep]}" "$check" \
            | tee -a "$OUT/table"
        unset times count lastrc med
    done
done

cp "$OUT/table" "$DIR/results-$(date -u +%Y%m%d-%H%M%S).txt"
