#!/usr/bin/env bash
# Renders the PNG sizes of the icon from quorvane.svg (ImageMagick convert with the rsvg
# delegate: Debian packages imagemagick and librsvg2-bin). Run after editing the SVG and
# commit the PNGs: the build compiles them in and does not render them itself.
set -euo pipefail
cd "$(dirname "$0")"
for size in 16 32 48 128 256; do
    # Rendered at four times the size and scaled down, for smooth edges.
    convert -background none -density $((72 * size / 64 * 4)) quorvane.svg \
        -resize "${size}x${size}" "quorvane-${size}.png"
done
