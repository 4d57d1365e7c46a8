#!/usr/bin/env bash
# Renders the toolbar pictures' PNG sizes from their SVGs (run after editing
# an SVG; needs rsvg-convert from librsvg2-bin). The PNGs are kept in the tree
# so that building and running need no SVG renderer.
set -euo pipefail
cd "$(dirname "$0")"
for svg in *.svg; do
  for size in 16 24 32 48; do
    mkdir -p "${size}"
    rsvg-convert -w "$size" -h "$size" "$svg" -o "${size}/${svg%.svg}.png"
  done
done
