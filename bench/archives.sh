#!/usr/bin/env bash
# Searching inside a compressed archive: a .tar.gz of the bench tree's text
# (about 1 GB unpacked), read by quarrix-scan -z, ugrep -z and rg -z, warm,
# side by side. Prints each tool's median and the ratio to the faster of the
# other two. The archive is made once, next to the corpora, never in the repo.
#
# Usage: bench/archives.sh [BUILD_DIR] [CORPORA_DIR]   (RUNS=5)
set -euo pipefail

BUILD=${1:-build/release}
DIR=${2:-/var/tmp/quarrix-bench}
RUNS=${RUNS:-5}
SCAN="$BUILD/tools/quarrix-scan"
ARCHIVE="$DIR/tree.tar.gz"
WORD=${WORD:-EXIT_SUCCESS}

[[ -x "$SCAN" ]] || { echo "build quarrix-scan first ($SCAN)" >&2; exit 1; }
[[ -d "$DIR/tree" ]] || { echo "run bench/make-corpora.sh first" >&2; exit 1; }
if [[ ! -f "$ARCHIVE" ]]; then
    echo "[archives] making $ARCHIVE once" >&2
    tar -cf - -C "$DIR" tree | gzip -6 > "$ARCHIVE.tmp"
    mv "$ARCHIVE.tmp" "$ARCHIVE"
fi

median() { sort -n | awk '{a[NR]=$1} END {print (NR%2 ? a[(NR+1)/2] : (a[NR/2]+a[NR/2+1])/2)}'; }
timed() { # prints seconds of one run of "$@", output discarded
    local start end
    start=$(date +%s.%N)
    "$@" >/dev/null 2>&1 || true
    end=$(date +%s.%N)
    echo "$end - $start" | bc
}

declare -A med
tools=(quarrix)
command -v ugrep >/dev/null && tools+=(ugrep)
command -v rg >/dev/null && tools+=(rg)
run_tool() {
    case $1 in
    quarrix) "$SCAN" -z "$WORD" "$ARCHIVE" ;;
    ugrep) ugrep -z -n "$WORD" "$ARCHIVE" ;;
    rg) rg -z -a -n "$WORD" "$ARCHIVE" ;; # -a: the tar stream holds NULs
    esac
}
for tool in "${tools[@]}"; do
    run_tool "$tool" >/dev/null 2>&1 || true # warm the cache
    times=$(for _ in $(seq "$RUNS"); do timed run_tool "$tool"; done)
    med[$tool]=$(echo "$times" | median)
    echo "$tool: $(echo "$times" | tr '\n' ' ')" >&2
done
counts=$(for tool in "${tools[@]}"; do printf '%s=%s ' "$tool" "$(run_tool "$tool" 2>/dev/null | grep -c "$WORD" || true)"; done)
echo "matching lines: $counts"
fastest=
for tool in "${tools[@]}"; do
    [[ $tool == quarrix ]] && continue
    if [[ -z $fastest ]] || (($(echo "${med[$tool]} < $fastest" | bc))); then fastest=${med[$tool]}; fi
done
printf '%-8s %10s %8s\n' tool median ratio
for tool in "${tools[@]}"; do
    ratio=-
    [[ -n $fastest ]] && ratio=$(echo "scale=2; ${med[$tool]} / $fastest" | bc)
    printf '%-8s %9.2fs %8s\n' "$tool" "${med[$tool]}" "$ratio"
done
