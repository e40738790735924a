#!/usr/bin/env bash
# Renders the icon's bitmap sizes from the SVG; the PNGs are committed, so building needs no SVG renderer.
# Needs rsvg-convert (Debian package librsvg2-bin).
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"
for size in 16 32 48 64 128 256; do
  mkdir -p "${size}x${size}"
  rsvg-convert -w "$size" -h "$size" org.example.Lumetra.svg -o "${size}x${size}/org.example.Lumetra.png"
done
