#!/usr/bin/env bash
# Renders the program's PNG icons in the usual hicolor sizes from data/varnel.svg into
# data/icons/ (committed, so the build needs no renderer). Needs rsvg-convert (librsvg2-bin).
set -euo pipefail
cd "$(dirname "$0")/.."
for size in 16 22 24 32 48 64 128 256; do
  rsvg-convert --width "$size" --height "$size" data/varnel.svg --output "data/icons/varnel-$size.png"
done
