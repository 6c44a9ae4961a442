#!/usr/bin/env bash
# Renders the PNG sizes of the application icon from data/icons/vantora-config.svg,
# and the Windows icon.
# They are checked in, so that building needs no SVG renderer; run this after
# changing the SVG. Needs rsvg-convert (Debian package librsvg2-bin).
set -euo pipefail
cd "$(dirname "$0")/../data/icons"
for n in 16 22 24 32 48 64 128 256; do
    mkdir -p "${n}x${n}"
    rsvg-convert -w "$n" -h "$n" vantora-config.svg -o "${n}x${n}/vantora-config.png"
done
# The Windows icon (in the executable and the installer's entries), from those PNGs.
# Needs ImageMagick.
convert {16x16,24x24,32x32,48x48,64x64,256x256}/vantora-config.png ../windows/vantora-config.ico
