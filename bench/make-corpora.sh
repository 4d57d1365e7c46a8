#!/usr/bin/env bash
# Builds the benchmark corpora from what Debian has installed on this machine:
#   DIR/tree     a source/doc tree of >= TREE_MB MiB in tens of thousands of files
#   DIR/big.txt  one text file of FILE_MB MiB
# Idempotent: does nothing if DIR/.complete exists. Delete DIR to rebuild.
#
# Usage: bench/make-corpora.sh [DIR]        (default /var/tmp/quarrix-bench)
# Env:   TREE_MB (default 700), FILE_MB (default 1024)
set -euo pipefail

DIR=${1:-/var/tmp/quarrix-bench}
TREE_MB=${TREE_MB:-700}
FILE_MB=${FILE_MB:-1024}
STAMP="$DIR/.complete"

if [[ -f "$STAMP" ]]; then
    echo "corpora already built in $DIR ($(tr '\n' ' ' < "$STAMP"))"
    exit 0
fi

log() { printf '[make-corpora] %s\n' "$*" >&2; }

mkdir -p "$DIR"
rm -rf "$DIR/tree" "$DIR/tree.tmp" "$DIR/big.txt" "$DIR/big.tmp" "$DIR/part.tmp"
TMP="$DIR/tree.tmp"
C1="$TMP/copy1"
mkdir -p "$C1"

log "copying system folders into $C1"
# -P: keep symlinks as links so they can be dropped below instead of followed.
cp -rP /usr/include "$C1/include"
cp -rP /usr/share/doc "$C1/doc"
cp -rP /usr/share/man "$C1/man"
for py in /usr/lib/python3*; do
    [[ -d "$py" ]] && cp -rP "$py" "$C1/$(basename "$py")"
done

log "cleaning the copy"
# Every tool has to see exactly the same set of regular files: no symlinks
# (tools differ in following them), no fifos/sockets/devices.
find "$C1" -type l -delete
find "$C1" ! -type f ! -type d -delete

# Man pages as plain text, which is what people actually search.
find "$C1/man" -type f -name '*.gz' -print0 | xargs -0 -r gunzip -f 2>/dev/null || true

# Hidden entries: rg skips them by default, grep and quarrix-scan do not, and
# a stray .ignore/.rgignore would silently change what rg walks.
find "$C1" -mindepth 1 -name '.*' -prune -exec rm -rf {} +

# Extensions quarrix-scan skips (binaries, archives, images) or reads through
# a format-specific path; rg/grep would read them as bytes, so the comparison
# would not be like for like.
skip_ext=(exe dll com zip rar arj gif jpg mp3 ico bmp
          doc ppt dot dif eml mpp mpt mpw mpx obd obt pot ppa pps xls xlt
          pdf docx docm dotx dotm xlsx xlsm xltx xltm pptx pptm potx ppsx
          odt ott ods ots odp otp)
name_args=()
for e in "${skip_ext[@]}"; do
    name_args+=(-o -iname "*.$e")
done
find "$C1" -type f \( "${name_args[@]:1}" \) -delete
# A PDF is read as a document whatever its name.
find "$C1" -type f -print0 | perl -0ne '
    chomp;
    open(my $f, "<", $_) or next;
    read($f, my $head, 5);
    print "$_\0" if defined $head && $head eq "%PDF-";
' | xargs -0 -r rm -f --

# Names that are not valid UTF-8 or carry control characters: the report is
# line-based and UTF-8, so such names would make match counts incomparable.
find "$C1" -depth -mindepth 1 -print0 | perl -0ne '
    chomp;
    my ($base) = m{([^/]*)\z};
    my $copy = $base;
    print "$_\0" unless utf8::decode($copy) && $base !~ /[\x00-\x1f\x7f]/;
' | xargs -0 -r rm -rf --

one=$(du -sb "$C1" | cut -f1)
want=$((TREE_MB * 1024 * 1024))
copies=$(( (want + one - 1) / one ))
(( copies < 1 )) && copies=1
log "one copy is $((one / 1024 / 1024)) MiB; replicating to $copies copies"
for ((i = 2; i <= copies; i++)); do
    cp -r "$C1" "$TMP/copy$i"
done

log "building big.txt from the text files of copy1"
# Sorted so the file content is the same on every run of this script.
find "$C1" -type f \( -name '*.h' -o -name '*.py' -o -name '*.txt' -o -path "$C1/man/*" \) -print0 \
    | LC_ALL=C sort -z | xargs -0 cat > "$DIR/part.tmp"
part=$(stat -c %s "$DIR/part.tmp")
target=$((FILE_MB * 1024 * 1024))
reps=$(( (target + part - 1) / part ))
: > "$DIR/big.tmp"
for ((i = 0; i < reps; i++)); do
    cat "$DIR/part.tmp" >> "$DIR/big.tmp"
done
truncate -s "$target" "$DIR/big.tmp"
rm -f "$DIR/part.tmp"

mv "$TMP" "$DIR/tree"
mv "$DIR/big.tmp" "$DIR/big.txt"

files=$(find "$DIR/tree" -type f | wc -l)
tree_bytes=$(du -sb "$DIR/tree" | cut -f1)
{
    echo "tree_files=$files"
    echo "tree_mib=$((tree_bytes / 1024 / 1024))"
    echo "copies=$copies"
    echo "big_mib=$FILE_MB"
} > "$STAMP"
log "done: tree $((tree_bytes / 1024 / 1024)) MiB in $files files ($copies copies), big.txt $FILE_MB MiB"
