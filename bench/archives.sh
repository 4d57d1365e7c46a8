#!/usr/bin/env bash
# Searching inside a compressed archive, warm, side by side with ugrep -z and
# rg -z: each tool's median wall and processor time (user and system, less
# noisy on a shared machine) and their ratios to the faster of ugrep and rg.
# First text.tar.gz: the bench tree's plain text files (no compressed file, no
# document, nothing with a NUL byte), about 1 GiB unpacked, where every tool
# reads the same lines. Then tree.tar.gz, the whole tree: quarrix also reads
# the .gz files inside the tar and the PDFs inside those; "ugrep-nested"
# (ugrep -z --zmax=2) is ugrep doing the same unpacking (NESTED=0 skips it).
# Then a zip of the 2,000 office documents (bench/documents.sh makes them):
# quarrix-scan -z on the zip against unzip to a folder plus quarrix-scan on
# the folder. The archives are made once, next to the corpora, never in the
# repo.
#
# Usage: bench/archives.sh [BUILD_DIR] [CORPORA_DIR]   (RUNS=5, OFFICE=0 skips the zip)
set -euo pipefail

BUILD=${1:-build/release}
DIR=${2:-/var/tmp/quarrix-bench}
RUNS=${RUNS:-5}
SCAN="$BUILD/tools/quarrix-scan"
ARCHIVE="$DIR/tree.tar.gz"
TEXT_ARCHIVE="$DIR/text.tar.gz"
TEXT_MB=${TEXT_MB:-1024}
WORD=${WORD:-EXIT_SUCCESS}

[[ -x "$SCAN" ]] || { echo "build quarrix-scan first ($SCAN)" >&2; exit 1; }
[[ -d "$DIR/tree" ]] || { echo "run bench/make-corpora.sh first" >&2; exit 1; }
if [[ ! -f "$ARCHIVE" ]]; then
    echo "[archives] making $ARCHIVE once" >&2
    tar -cf - -C "$DIR" tree | gzip -6 > "$ARCHIVE.tmp"
    mv "$ARCHIVE.tmp" "$ARCHIVE"
fi
# The text alone: no compressed file, no document, nothing holding a NUL byte,
# so that every tool reads the same lines. Its largest files are added a second
# time under text2/ until the whole is TEXT_MB MiB, which keeps the member count
# below quarrix's bound of 100,000 files per archive.
if [[ ! -f "$TEXT_ARCHIVE" ]]; then
    echo "[archives] making $TEXT_ARCHIVE once" >&2
    work=$(mktemp -d "$DIR/text-tar.XXXXXX")
    (
        cd "$DIR"
        LC_ALL=C grep -rlaP '\x00' tree >"$work/binary"
        find tree -type f ! -iregex '.*\.\(gz\|tgz\|bz2\|xz\|zst\|lz4\|zip\|7z\|tar\|pdf\)' \
            -printf '%s %p\n' | sort -k2 | awk 'NR == FNR { binary[$0]; next }
                !(substr($0, index($0, " ") + 1) in binary)' "$work/binary" - >"$work/sized"
        cut -d' ' -f2- "$work/sized" >"$work/first"
        room=$(awk -v want=$((TEXT_MB << 20)) '{ want -= $1 } END { print want }' "$work/sized")
        sort -k1,1nr "$work/sized" |
            awk -v room="$room" 'room > 0 { room -= $1; print substr($0, index($0, " ") + 1) }' \
            >"$work/second"
        tar -cf "$work/text.tar" --no-unquote -T "$work/first"
        [[ -s "$work/second" ]] && tar -rf "$work/text.tar" --no-unquote --transform 's,^tree/,text2/,' -T "$work/second"
        gzip -6 <"$work/text.tar" >"$work/text.tar.gz"
    )
    mv "$work/text.tar.gz" "$TEXT_ARCHIVE"
    rm -rf "$work"
fi

median() { sort -n | awk '{a[NR]=$1} END {print (NR%2 ? a[(NR+1)/2] : (a[NR/2]+a[NR/2+1])/2)}'; }
# Prints "wall cpu" seconds of one run of "$@" (cpu: user and system of it and
# its children, less noisy than wall time on a shared machine), output discarded.
timed() {
    local TIMEFORMAT='%R %U %S' t
    t=$({ time "$@" >/dev/null 2>&1; } 2>&1) || true
    awk '{ printf "%s %.2f\n", $1, $2 + $3 }' <<<"$t"
}

run_tool() {
    case $1 in
    quarrix) "$SCAN" -z "$WORD" "$2" ;;
    ugrep) ugrep -z -n "$WORD" "$2" ;;
    ugrep-nested) ugrep -z --zmax=2 -n "$WORD" "$2" ;;
    rg) rg -z -a -n "$WORD" "$2" ;; # -a: the tar stream holds NULs
    esac
}
# compare ARCHIVE TOOL...: one table, ratios to the faster of ugrep and rg.
compare() {
    local archive=$1 tool times fastest= fastestCpu= ratio cpuRatio counts pattern
    shift
    local -a tools=()
    local -A med cpu
    for tool in "$@"; do
        [[ $tool == quarrix ]] || command -v "${tool%-nested}" >/dev/null && tools+=("$tool")
    done
    for tool in "${tools[@]}"; do
        run_tool "$tool" "$archive" >/dev/null 2>&1 || true # warm the cache
        times=$(for _ in $(seq "$RUNS"); do timed run_tool "$tool" "$archive"; done)
        med[$tool]=$(cut -d' ' -f1 <<<"$times" | median)
        cpu[$tool]=$(cut -d' ' -f2 <<<"$times" | median)
        echo "$tool: $(tr '\n' ' ' <<<"$times")" >&2
    done
    # quarrix's report has a header that names the word: its rows start "FILE: ".
    counts=$(for tool in "${tools[@]}"; do
        pattern=$WORD
        [[ $tool == quarrix ]] && pattern='^FILE: '
        printf '%s=%s ' "$tool" "$(run_tool "$tool" "$archive" 2>/dev/null | grep -c "$pattern" || true)"
    done)
    for tool in "${tools[@]}"; do
        [[ $tool == quarrix || $tool == ugrep-nested ]] && continue
        if [[ -z $fastest ]] || (($(echo "${med[$tool]} < $fastest" | bc))); then fastest=${med[$tool]}; fi
        if [[ -z $fastestCpu ]] || (($(echo "${cpu[$tool]} < $fastestCpu" | bc))); then fastestCpu=${cpu[$tool]}; fi
    done
    echo "# $(basename "$archive") ($(du -m "$archive" | cut -f1) MiB)  $(date -u '+%Y-%m-%d %H:%M UTC')  $(nproc) cores  load $(cut -d' ' -f1-3 /proc/loadavg)"
    echo "matching lines: $counts"
    printf '%-13s %10s %8s %10s %8s\n' tool median ratio cpu ratio
    for tool in "${tools[@]}"; do
        ratio=- cpuRatio=-
        [[ -n $fastest ]] && ratio=$(awk -v a="${med[$tool]}" -v b="$fastest" 'BEGIN { printf "%.2f", a / b }')
        [[ -n $fastestCpu ]] && cpuRatio=$(awk -v a="${cpu[$tool]}" -v b="$fastestCpu" 'BEGIN { printf "%.2f", a / b }')
        printf '%-13s %9.2fs %8s %9.2fs %8s\n' "$tool" "${med[$tool]}" "$ratio" "${cpu[$tool]}" "$cpuRatio"
    done
}
compare "$TEXT_ARCHIVE" quarrix ugrep rg
[[ ${NESTED:-1} == 0 ]] || compare "$ARCHIVE" quarrix ugrep ugrep-nested rg

[[ ${OFFICE:-1} == 0 ]] && exit 0
DOCS="$DIR/office-2000"
ZIP="$DIR/office-2000.zip"
OFFICE_WORD=${OFFICE_WORD:-'the|text'}
[[ -d $DOCS ]] || { echo "run bench/documents.sh first for $DOCS" >&2; exit 0; }
if [[ ! -f $ZIP ]]; then
    echo "[archives] making $ZIP once" >&2
    (cd "$DOCS" && zip -q -r "$ZIP.tmp.zip" . -x .complete)
    mv "$ZIP.tmp.zip" "$ZIP"
fi
OUT=$(mktemp -d /dev/shm/quarrix-archives.XXXXXX)
trap 'rm -rf "$OUT"' EXIT
office_tool() {
    case $1 in
    quarrix-zip) "$SCAN" -z -- "$OFFICE_WORD" "$ZIP" ;;
    unzip+quarrix)
        rm -rf "$OUT/tree"
        unzip -q -o "$ZIP" -d "$OUT/tree" && "$SCAN" -- "$OFFICE_WORD" "$OUT/tree"
        ;;
    esac
}
declare -A office
for tool in quarrix-zip unzip+quarrix; do
    office_tool "$tool" >/dev/null 2>&1 || true
    times=$(for _ in $(seq "$RUNS"); do timed office_tool "$tool"; done)
    office[$tool]=$(cut -d' ' -f1 <<<"$times" | median)
    echo "$tool: $(tr '\n' ' ' <<<"$times")" >&2
done
echo "# $(du -sm "$ZIP" | cut -f1) MiB zip of $(find "$DOCS" -type f ! -name .complete | wc -l) documents"
echo "rows: zip $(office_tool quarrix-zip 2>/dev/null | grep -c '^FILE: '), folder $(office_tool unzip+quarrix 2>/dev/null | grep -c '^FILE: ')"
printf '%-13s %10s %8s\n' tool median ratio
for tool in quarrix-zip unzip+quarrix; do
    printf '%-13s %9.2fs %8s\n' "$tool" "${office[$tool]}" \
        "$(awk -v a="${office[$tool]}" -v b="${office[unzip+quarrix]}" 'BEGIN { printf "%.2f", a / b }')"
done
