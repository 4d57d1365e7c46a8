#!/usr/bin/env bash
# Builds the Debian package from a build tree, unpacks it into a scratch root
# (as dpkg would, without installing) and checks what it holds: the files, the
# dependencies, the desktop entry, quarrix-scan running from there, and what
# lintian, Debian's package checker, finds (no errors allowed).
# Usage: check-package.sh BUILD_DIR CPACK
set -euo pipefail
build=$1 cpack=$2
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

"$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$scratch/out" >"$scratch/cpack.log" 2>&1 ||
  { cat "$scratch/cpack.log"; exit 1; }
deb=$(echo "$scratch"/out/quarrix-pro_*_*.deb)
[ -f "$deb" ] || { echo "no package in $scratch/out"; ls "$scratch/out"; exit 1; }
root=$scratch/root
dpkg-deb -x "$deb" "$root"

failed=0
fail() { echo "$*"; failed=1; }

app=org.example.quarrix.QuarrixPro
for file in usr/bin/quarrix-pro usr/bin/quarrix-scan usr/libexec/quarrix-pro/quarrix-extract \
    usr/share/applications/$app.desktop usr/share/metainfo/$app.metainfo.xml \
    usr/share/icons/hicolor/scalable/apps/quarrix-pro.svg \
    usr/share/icons/hicolor/48x48/apps/quarrix-pro.png \
    usr/share/icons/hicolor/256x256/apps/quarrix-pro.png \
    usr/share/man/man1/quarrix-scan.1.gz usr/share/man/man1/quarrix-pro.1.gz \
    usr/share/bash-completion/completions/quarrix-scan \
    usr/share/quarrix-pro/manual/index.html \
    usr/share/doc/quarrix-pro/copyright usr/share/doc/quarrix-pro/changelog.gz; do
  [ -f "$root/$file" ] || fail "missing from the package: /$file"
done
# Help looks for the manual beside the program's folder.
[ -f "$root/usr/bin/../share/quarrix-pro/manual/index.html" ] || fail "the manual is not where Help looks"
stray=$(cd "$root" && find . -type f | grep -v -E '^\./usr/(bin/quarrix-(pro|scan)|libexec/quarrix-pro/quarrix-extract|share/(applications|metainfo|icons/hicolor|man/man1|bash-completion/completions|quarrix-pro/manual|doc/quarrix-pro)/)' || true)
[ -z "$stray" ] || fail "files the package should not hold: $stray"

# The changelog's newest entry is this version's.
logged=$(zcat "$root/usr/share/doc/quarrix-pro/changelog.gz" | sed -n '1s/^quarrix-pro (\([^)]*\)).*/\1/p')
[ "$logged" = "$(dpkg-deb -f "$deb" Version)" ] ||
  fail "the changelog's newest entry is $logged, the package's version $(dpkg-deb -f "$deb" Version)"

if command -v lintian >/dev/null; then
  lintian_ok=1
  lintian --fail-on error --tag-display-limit 0 "$deb" >"$scratch/lintian.log" 2>&1 || lintian_ok=0
  grep -v 'root privileges' "$scratch/lintian.log" || true
  [ "$lintian_ok" -eq 1 ] || fail "lintian found errors in the package"
else
  fail "lintian is not installed (scripts/setup.sh installs it)"
fi

depends=$(dpkg-deb -f "$deb" Depends)
for needed in libc6 libqt6core6 libqt6widgets6 qt6-qpa-plugins libseccomp2 libssl3; do
  [[ $depends == *"$needed"* ]] || fail "Depends lacks $needed: $depends"
done

desktop-file-validate "$root/usr/share/applications/$app.desktop" || fail "desktop entry invalid"
exec_program=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$root/usr/share/applications/$app.desktop")
[ -x "$root/usr/bin/$exec_program" ] || fail "Exec=$exec_program is not a program of the package"

version=$("$root/usr/bin/quarrix-scan" --version) || fail "quarrix-scan --version failed"
[[ $version == "quarrix-scan "[0-9]* ]] || fail "quarrix-scan --version printed: $version"
printf 'one\r\nalpha two\r\n' >"$scratch/notes.txt"
report=$("$root/usr/bin/quarrix-scan" alpha "$scratch/notes.txt") || fail "quarrix-scan found no match"
[[ $report == *"LINE: 2;  MATCH: alpha two"* ]] || fail "quarrix-scan reported: $report"
# Documents are read by the package's own worker, found from the program.
printf '{\\rtf1 beta three\\par}' >"$scratch/notes.doc"
report=$("$root/usr/bin/quarrix-scan" beta "$scratch/notes.doc") || fail "quarrix-scan read no document"
[[ $report == *"LINE: @0;  MATCH: beta three"* ]] || fail "quarrix-scan reported: $report"

echo "$(basename "$deb"): $(cd "$root" && find . -type f | wc -l) files; Depends: $depends"
exit $failed
