#!/usr/bin/env bash
# Times PDF text side by side with poppler's own pdftotext on the same file:
# a generated manual of 400 pages of text (Helvetica, 50 lines a page, a few
# compressed), page cache warm, medians of the runs. Target: quarrix-scan at
# most 1.0 times pdftotext.
#
# Usage: bench/pdftext.sh [DIR]           (default /var/tmp/quarrix-bench)
# Env:   BENCH_RUNS (default 5), BENCH_PAGES (default 400), QUARRIX_SCAN
set -euo pipefail

HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
ROOT=$(cd "$HERE/.." && pwd)
DIR=${1:-/var/tmp/quarrix-bench}
RUNS=${BENCH_RUNS:-5}
PAGES=${BENCH_PAGES:-400}
QS=${QUARRIX_SCAN:-$ROOT/build/release/tools/quarrix-scan}
PDF=$DIR/manual-$PAGES.pdf
[[ -x $QS ]] || { echo "pdftext.sh: $QS missing: build the release preset first" >&2; exit 2; }
command -v pdftotext >/dev/null || { echo "pdftext.sh: pdftotext missing (poppler-utils)" >&2; exit 2; }

if [[ ! -f $PDF ]]; then
    mkdir -p "$DIR"
    python3 - "$PDF" "$PAGES" <<'PY'
import random, sys, zlib
path, pages = sys.argv[1], int(sys.argv[2])
random.seed(397)
words = ("system scan folder document text search result window report editor print "
         "page option reader engine match line file type tree value").split()
objects = {1: b"<</Type/Catalog/Pages 2 0 R>>",
           3: b"<</Type/Font/Subtype/Type1/BaseFont/Helvetica/Encoding/WinAnsiEncoding>>"}
kids = []
for p in range(pages):
    lines = [f"BT /F1 10 Tf 50 780 Td 12 TL ({p + 1}.{n} ".encode() +
             " ".join(random.choice(words) for _ in range(12)).encode() + b") Tj ET"
             for n in range(50)]
    content = b"\n".join(l.replace(b"Td", b"Td 0 %d Td" % (-12 * i), 1)
                         for i, l in enumerate(lines))
    page, stream = 4 + 2 * p, 5 + 2 * p
    packed = zlib.compress(content)
    objects[stream] = b"<</Length %d/Filter/FlateDecode>>stream\n" % len(packed) + \
        packed + b"\nendstream"
    objects[page] = b"<</Type/Page/Parent 2 0 R/MediaBox[0 0 612 792]" \
        b"/Resources<</Font<</F1 3 0 R>>>>/Contents %d 0 R>>" % stream
    kids.append(b"%d 0 R" % page)
objects[2] = b"<</Type/Pages/Count %d/Kids[%s]>>" % (pages, b" ".join(kids))
out, offsets = bytearray(b"%PDF-1.4\n"), {}
for number in sorted(objects):
    offsets[number] = len(out)
    out += b"%d 0 obj" % number + objects[number] + b"endobj\n"
xref = len(out)
size = max(objects) + 1
out += b"xref\n0 %d\n0000000000 65535 f \n" % size
for number in range(1, size):
    out += b"%010d 00000 n \n" % offsets[number]
out += b"trailer<</Size %d/Root 1 0 R>>\nstartxref\n%d\n%%%%EOF\n" % (size, xref)
open(path, "wb").write(out)
PY
fi

median() { sort -n | awk '{a[NR] = $1} END {print a[int((NR + 1) / 2)]}'; }
seconds() { local start end; start=$(date +%s.%N); "$@" >/dev/null 2>&1 || true
            end=$(date +%s.%N); echo "$end - $start" | bc -l; }

"$QS" --readers 1 zzqqxxnotfound "$PDF" >/dev/null 2>&1 || true # warm the cache
ours=() theirs=()
for ((run = 0; run < RUNS; run++)); do
    theirs+=("$(seconds pdftotext -q "$PDF" /dev/null)")
    ours+=("$(seconds "$QS" --readers 1 zzqqxxnotfound "$PDF")")
done
t=$(printf '%s\n' "${theirs[@]}" | median)
o=$(printf '%s\n' "${ours[@]}" | median)
printf 'PDF text, %d pages (%s), medians of %d runs\n' "$PAGES" "$PDF" "$RUNS"
printf '  pdftotext      %.3f s\n  quarrix-scan   %.3f s\n  ratio          %.2fx\n' \
    "$t" "$o" "$(echo "$o / $t" | bc -l)"
