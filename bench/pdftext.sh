#!/usr/bin/env bash
# Times PDF text side by side with poppler's own pdftotext on the same files:
# a generated manual of 400 pages of text (Helvetica, 50 lines a page,
# compressed; again with its text coloured through an ICC profile where one
# is installed), then a folder of PDFs (20 generated manuals of 20 pages, the
# repository's test PDF and every PDF under /usr/share/doc; pdftotext once per
# file, quarrix-scan once over the folder). Page cache warm, medians of the
# runs, the machine's load quoted. Target: quarrix-scan at most 1.0 times
# pdftotext.
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
PDF=$DIR/pdf-manual-$PAGES.pdf
[[ -x $QS ]] || { echo "pdftext.sh: $QS missing: build the release preset first" >&2; exit 2; }
command -v pdftotext >/dev/null || { echo "pdftext.sh: pdftotext missing (poppler-utils)" >&2; exit 2; }

FOLDER=$DIR/pdfs
manual() { # path pages seed [ICC profile that colours the text, as office exports do]
    python3 - "$@" <<'PY'
import random, sys, zlib
path, pages, seed = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
profile = open(sys.argv[4], "rb").read() if len(sys.argv) > 4 else None
random.seed(seed)
words = ("system scan folder document text search result window report editor print "
         "page option reader engine match line file type tree value").split()
objects = {1: b"<</Type/Catalog/Pages 2 0 R>>",
           3: b"<</Type/Font/Subtype/Type1/BaseFont/Helvetica/Encoding/WinAnsiEncoding>>"}
kids, colour, colours = [], b"", b""
if profile:
    packed = zlib.compress(profile)
    objects[4 + 2 * pages] = b"<</N 3/Length %d/Filter/FlateDecode>>stream\n" % len(packed) + \
        packed + b"\nendstream"
    colour = b"/CS0 cs 0 0 0 sc\n"
    colours = b"/ColorSpace<</CS0[/ICCBased %d 0 R]>>" % (4 + 2 * pages)
for p in range(pages):
    lines = [f"BT /F1 10 Tf 50 780 Td 12 TL ({p + 1}.{n} ".encode() +
             " ".join(random.choice(words) for _ in range(12)).encode() + b") Tj ET"
             for n in range(50)]
    content = colour + b"\n".join(l.replace(b"Td", b"Td 0 %d Td" % (-12 * i), 1)
                         for i, l in enumerate(lines))
    page, stream = 4 + 2 * p, 5 + 2 * p
    packed = zlib.compress(content)
    objects[stream] = b"<</Length %d/Filter/FlateDecode>>stream\n" % len(packed) + \
        packed + b"\nendstream"
    objects[page] = b"<</Type/Page/Parent 2 0 R/MediaBox[0 0 612 792]" \
        b"/Resources<</Font<</F1 3 0 R>>%s>>/Contents %d 0 R>>" % (colours, stream)
    kids.append(b"%d 0 R" % page)
objects[2] = b"<</Type/Pages/Count %d/Kids[%s]>>" % (pages, b" ".join(kids))
out, offsets = bytearray(b"%PDF-1.4\n"), {}
for number in sorted(objects):
    offsets[number] = len(out)
    out += b"%d 0 obj" % number + objects[number] + b"\nendobj\n"
xref = len(out)
size = max(objects) + 1
out += b"xref\n0 %d\n0000000000 65535 f \n" % size
for number in range(1, size):
    out += b"%010d 00000 n \n" % offsets[number]
out += b"trailer<</Size %d/Root 1 0 R>>\nstartxref\n%d\n%%%%EOF\n" % (size, xref)
open(path, "wb").write(out)
PY
}
mkdir -p "$DIR"
[[ -f $PDF ]] || manual "$PDF" "$PAGES" 397
PROFILE=/usr/share/color/icc/ghostscript/srgb.icc # from ghostscript, where installed
COLOURED=$DIR/pdf-manual-$PAGES-icc.pdf
[[ -f $COLOURED || ! -f $PROFILE ]] || manual "$COLOURED" "$PAGES" 397 "$PROFILE"
if [[ ! -d $FOLDER ]]; then
    mkdir -p "$FOLDER"
    for n in $(seq 1 20); do manual "$FOLDER/manual-$n.pdf" 20 "$n"; done
    cp "$ROOT/tests/data/modern/writer.pdf" "$FOLDER/"
    find /usr/share/doc -name '*.pdf' -exec cp {} "$FOLDER/" \;
fi

median() { sort -n | awk '{a[NR] = $1} END {print a[int((NR + 1) / 2)]}'; }
# The wall-clock and processor seconds (user and system, of every process
# the command starts) of one run, "wall cpu": under a shared machine's load
# the processor time is the steadier figure.
seconds() {
    local start end cpu
    start=$(date +%s.%N)
    cpu=$( { "$@" >/dev/null 2>&1 || true; times; } | tail -1 |
        awk '{ n = 0; for (i = 1; i <= 2; i++) { split($i, p, /[ms]/); n += p[1] * 60 + p[2] }
               print n }')
    end=$(date +%s.%N)
    echo "$(echo "$end - $start" | bc -l) $cpu"
}

everyPdf() { for f in "$FOLDER"/*.pdf; do pdftotext -q "$f" /dev/null || true; done; }

# side by side: label, then pdftotext's command, then quarrix-scan's target
compare() {
    local label=$1 target=$2 ours=() theirs=() run t o
    shift 2
    "$QS" --readers 1 zzqqxxnotfound "$target" >/dev/null 2>&1 || true # warm the cache
    for ((run = 0; run < RUNS; run++)); do
        theirs+=("$(seconds "$@")")
        ours+=("$(seconds "$QS" --readers 1 zzqqxxnotfound "$target")")
    done
    printf '%s, medians of %d runs\n' "$label" "$RUNS"
    printf '                 wall       processor\n'
    local tw tc ow oc
    tw=$(printf '%s\n' "${theirs[@]}" | cut -d' ' -f1 | median)
    tc=$(printf '%s\n' "${theirs[@]}" | cut -d' ' -f2 | median)
    ow=$(printf '%s\n' "${ours[@]}" | cut -d' ' -f1 | median)
    oc=$(printf '%s\n' "${ours[@]}" | cut -d' ' -f2 | median)
    printf '  pdftotext      %7.3f s  %7.3f s\n  quarrix-scan   %7.3f s  %7.3f s\n' \
        "$tw" "$tc" "$ow" "$oc"
    printf '  ratio          %7.2fx   %7.2fx\n' "$(echo "$ow / $tw" | bc -l)" \
        "$(echo "$oc / $tc" | bc -l)"
}

printf 'load before: %s\n' "$(cut -d' ' -f1-3 /proc/loadavg)"
compare "PDF text, $PAGES pages ($PDF)" "$PDF" pdftotext -q "$PDF" /dev/null
[[ ! -f $COLOURED ]] ||
    compare "PDF text, $PAGES pages coloured through an ICC profile ($COLOURED)" "$COLOURED" \
        pdftotext -q "$COLOURED" /dev/null
compare "PDF folder, $(ls "$FOLDER"/*.pdf | wc -l) files ($FOLDER)" "$FOLDER" everyPdf
printf 'load after: %s\n' "$(cut -d' ' -f1-3 /proc/loadavg)"
