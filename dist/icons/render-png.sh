#!/usr/bin/env bash
# Renders the program icon's PNG sizes from its SVG (run after editing the SVG;
# needs rsvg-convert from librsvg2-bin). The PNGs are kept in the tree so that
# building needs no SVG renderer.
set -euo pipefail
cd "$(dirname "$0")"
for size in 16 24 32 48 64 128 256; do
  mkdir -p "hicolor/${size}x${size}"
  rsvg-convert -w "$size" -h "$size" quarrix-pro.svg -o "hicolor/${size}x${size}/quarrix-pro.png"
done
