#!/usr/bin/env bash
# Hostile files cost only themselves: each case (bench/hostilecases.py) is made in a scratch
# folder beside 50 good files holding a planted word, and quarrix-scan -z scans the folder.
# One row per case: seconds, peak memory of the process tree (the scan and its document
# workers), the status message, and whether every good file gave its row. A case passes when
# it ends within 10 s under 300 MB with all 50 good rows.
#
# Usage: bench/hostile.sh [BUILD_DIR]   (HOSTILE_CASES="case ..." runs only those)
set -euo pipefail

BUILD=${1:-build/release}
HERE=$(cd "$(dirname "$0")" && pwd)
SCAN=$(realpath "$BUILD/tools/quarrix-scan")
CASES=${HOSTILE_CASES:-$(python3 "$HERE/hostilecases.py" list)}
WORD=quokkaplanted
GOOD=50
LIMIT_SECONDS=10
LIMIT_MB=300
KILL_SECONDS=30 # a case still running then is killed and fails

[[ -x "$SCAN" ]] || { echo "build quarrix-scan first ($SCAN)" >&2; exit 1; }
scratch=$(mktemp -d /var/tmp/quarrix-hostile.XXXXXX)
trap 'rm -rf "$scratch"' EXIT

# Archives are opened only with -z; without it they must be passed over as cheaply.
archive_case() { [[ $1 == zip-* || $1 == tar-* ]]; }

printf '%-18s %-3s %6s %6s %6s %6s %4s %-4s %s\n' case -z wall_s cpu_s sum_MB max_MB good pass message
failed=0
for case in $CASES; do
    dir="$scratch/$case"
    mkdir -p "$dir"
    python3 "$HERE/hostilecases.py" good "$dir" "$WORD" "$GOOD"
    python3 "$HERE/hostilecases.py" make "$case" "$dir"
    modes=(-z)
    archive_case "$case" && modes+=(no)
    for mode in "${modes[@]}"; do
        flags=(-l --output "$scratch/found")
        [[ $mode == -z ]] && flags+=(-z)
        read -r seconds cpu sum_mb max_mb status < <(python3 "$HERE/hostilecases.py" measure \
            "$KILL_SECONDS" "$SCAN" "${flags[@]}" -- "$WORD" "$dir" 2>"$scratch/errors")
        good=$(grep -c "/good[0-9]*\." "$scratch/found" 2>/dev/null || true)
        message=$(grep -m1 -v '^$' "$scratch/errors" | sed "s|$dir/||g" | cut -c1-90 || true)
        [[ $status == killed ]] && message="killed after ${KILL_SECONDS}s; $message"
        pass=yes
        if [[ $status == killed || $good -ne $GOOD ]] ||
            (($(echo "$seconds > $LIMIT_SECONDS || $sum_mb > $LIMIT_MB" | bc))); then
            pass=NO
            failed=$((failed + 1))
        fi
        printf '%-18s %-3s %6s %6s %6s %6s %4s %-4s %s\n' "$case" "${mode/no/-}" "$seconds" \
            "$cpu" "$sum_mb" "$max_mb" "$good" "$pass" "${message:--}"
        rm -f "$scratch/found"
    done
    rm -rf "$dir"
done
echo "wall_s, cpu_s: wall and processor seconds of the whole tree (the machine's load shows" \
    "in the first); sum_MB: the process tree's summed resident memory, sampled every 10 ms, at its peak;" \
    "max_MB: the largest single process's peak (the kernel's count)"
echo "$failed failing"
exit $((failed > 0))
