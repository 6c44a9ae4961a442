#!/usr/bin/env bash
# Renders the PNG sizes of the application icon from data/icons/vantora-config.svg.
# The PNGs are checked in, so that building needs no SVG renderer; run this after
# changing the SVG. Needs rsvg-convert (Debian package librsvg2-bin).
set -euo pipefail
cd "$(dirname "$0")/../data/icons"
for n in 16 22 24 32 48 64 128 256; do
    mkdir -p "${n}x${n}"
    rsvg-convert -w "$n" -h "$n" vantora-config.svg -o "${n}x${n}/vantora-config.png"
done
