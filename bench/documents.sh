#!/usr/bin/env bash
# Times a scan of a tree of 2,000 office documents (copies of the test
# fixtures: the legacy Word, Excel, PowerPoint, RTF and mail files, and the
# LibreOffice-made OOXML, OpenDocument and PDF ones) with one reader and with the
# default readers, page cache warm, to show that document text is taken on
# every core, and in this process against worker processes, side by side.
# Targets: default readers at most 0.6 times one reader; workers at most 1.1
# times in process.
#
# Usage: bench/documents.sh [DIR]           (default /var/tmp/quarrix-bench)
# Env:   BENCH_RUNS (default 5), BENCH_DOCS (default 2000), QUARRIX_SCAN
set -euo pipefail

HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
ROOT=$(cd "$HERE/.." && pwd)
DIR=${1:-/var/tmp/quarrix-bench}
RUNS=${BENCH_RUNS:-5}
COUNT=${BENCH_DOCS:-2000}
QS=${QUARRIX_SCAN:-$ROOT/build/release/tools/quarrix-scan}
DOCS=$DIR/office-$COUNT
[[ -x $QS ]] || { echo "documents.sh: $QS missing: build the release preset first" >&2; exit 2; }

if [[ ! -f $DOCS/.complete ]]; then
    rm -rf "$DOCS"
    mapfile -t fixtures < <(find "$ROOT/tests/data/documents" "$ROOT/tests/data/modern" -type f \
        \( -name '*.doc' -o -name '*.dot' -o -name '*.xls' -o -name '*.xlt' -o -name '*.ppt' \
           -o -name '*.pps' -o -name '*.pot' -o -name '*.rtf' -o -name '*.eml' \
           -o -name '*.docx' -o -name '*.xlsx' -o -name '*.pptx' -o -name '*.odt' \
           -o -name '*.ods' -o -name '*.odp' -o -name '*.pdf' \) | sort)
    for ((i = 0; i < COUNT; i++)); do
        from=${fixtures[i % ${#fixtures[@]}]}
        mkdir -p "$DOCS/$((i / 100))"
        cp "$from" "$DOCS/$((i / 100))/$i-$(basename "$from")"
    done
    touch "$DOCS/.complete"
fi

now_us() { local t=${EPOCHREALTIME//[!0-9]/}; echo "$t"; }
median_s() { tr ' ' '\n' | grep . | sort -n | awk '{v[NR]=$1} END {
    m = (NR % 2) ? v[(NR+1)/2] : (v[NR/2] + v[NR/2+1]) / 2; printf "%.3f", m / 1e6 }'; }

"$QS" warmup "$DOCS" > /dev/null 2>&1 || true
declare -A times
for ((r = 0; r < RUNS; r++)); do
    for mode in inprocess workers; do
        for readers in 1 default; do
            args=()
            [[ $readers == 1 ]] && args=(--readers 1)
            t0=$(now_us)
            QUARRIX_DOCUMENT_READERS=$mode "$QS" "${args[@]}" -- 'the|text' "$DOCS" \
                > "/dev/shm/quarrix-docs-$mode.out" 2> /dev/null || true
            times[$mode-$readers]+=" $(( $(now_us) - t0 ))"
        done
    done
done
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
echo "# documents benchmark  $(date -u '+%Y-%m-%d %H:%M UTC')  $(nproc) cores  load $(cut -d' ' -f1-3 /proc/loadavg)"
echo "# $COUNT documents, $(du -sm "$DOCS" | cut -f1) MiB; medians of $RUNS runs, seconds"
echo "# in process, and in worker processes (target: workers at most 1.1 x in process)"
printf '%-8s %-10s %-10s %s\n' readers inprocess workers workers/inprocess
for readers in 1 default; do
    a=$(median_s <<< "${times[inprocess-$readers]}")
    b=$(median_s <<< "${times[workers-$readers]}")
    printf '%-8s %-10s %-10s %s\n' "$readers" "$a" "$b" "$(ratio "$b" "$a")"
done
a=$(median_s <<< "${times[inprocess-1]}")
b=$(median_s <<< "${times[inprocess-default]}")
echo "# default readers / one reader, in process: $(ratio "$b" "$a") (target at most 0.6)"
echo "# rows: $(grep -c '^FILE: ' /dev/shm/quarrix-docs-inprocess.out) in process," \
     "$(grep -c '^FILE: ' /dev/shm/quarrix-docs-workers.out) in workers;" \
     "$(cmp -s <(grep -v '^Date/Time' /dev/shm/quarrix-docs-inprocess.out) \
               <(grep -v '^Date/Time' /dev/shm/quarrix-docs-workers.out) &&
        echo same || echo DIFFERENT) reports"
rm -f /dev/shm/quarrix-docs-inprocess.out /dev/shm/quarrix-docs-workers.out
