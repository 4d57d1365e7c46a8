#!/usr/bin/env bash
# The user manual's pages link only to pages, anchors and pictures it has.
# Usage: check-manual.sh MANUAL_DIR
set -euo pipefail
cd "$1"
failed=0
for page in *.html; do
  while read -r target; do
    [ -n "$target" ] || continue
    case $target in
      http:* | https:* | mailto:*) continue ;;
    esac
    file=${target%%#*}
    anchor=${target#"$file"}
    anchor=${anchor#\#}
    if [ -n "$file" ] && [ ! -f "$file" ]; then
      echo "$page: no file $file"; failed=1; continue
    fi
    if [ -n "$anchor" ]; then
      in=${file:-$page}
      grep -q -E "\bid=\"$anchor\"" "$in" || { echo "$page: no #$anchor in $in"; failed=1; }
    fi
  done < <(grep -o -E '\b(href|src)="[^"]*"' "$page" | sed -E 's/^(href|src)="//; s/"$//')
done
exit $failed
