#!/usr/bin/env bash
# Renders the PNG icons of resources/icons/ from their SVG sources (needs rsvg-convert, Debian's
# librsvg2-bin). The 16 and 32 pixel program icons are the window's own hand-drawn ones in
# resources/ and are not rendered.
set -euo pipefail
cd "$(dirname "$0")/../resources/icons"
for side in 48 64 128 256; do
    rsvg-convert -w "$side" -h "$side" io.github.cobblestack.Cobblestack.svg \
        -o "io.github.cobblestack.Cobblestack-$side.png"
done
for side in 16 32 48 64 128 256; do
    rsvg-convert -w "$side" -h "$side" application-x-autotrax-library.svg \
        -o "application-x-autotrax-library-$side.png"
done
