#!/usr/bin/env bash
# Renders the hand-drawn icon packaging/icons/io.github.veltra.Veltra.svg into
# the PNG sizes the desktop's icon theme uses. The PNGs are committed, so the
# build needs no SVG renderer; run this after changing the drawing.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh
veltra_install_deps librsvg2-bin
icons=packaging/icons
for size in 16 24 32 48 64 128 256; do
  rsvg-convert -w "$size" -h "$size" "$icons/io.github.veltra.Veltra.svg" -o "$icons/io.github.veltra.Veltra-$size.png"
done
