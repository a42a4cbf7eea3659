#!/usr/bin/env bash
# Renders the SVG pictures to the PNG files the program embeds and installs (needs ImageMagick and
# rsvg-convert from librsvg2-bin). The PNG files are committed, so a build needs no renderer; run
# this after changing an SVG.
set -euo pipefail
cd "$(dirname "$0")"
render() { convert -background none -density 384 "$1" -resize "$3x$4" "$2"; }
for svg in toolbar/*.svg about/web.svg about/mail.svg about/close.svg; do
    size=$(sed -n 's/.*<svg[^>]* width="\([0-9]*\)".*/\1/p' "$svg")
    render "$svg" "${svg%.svg}.png" "$size" "$size"
done
render about/product.svg about/product.png 72 72
render about/maker.svg about/maker.png 141 56
# The application icon, also installed in the hicolor theme at each of these sizes. ImageMagick
# rasterises this SVG at its own 32 px and blurs the large sizes; librsvg draws each size afresh.
for size in 16 32 48 64 128 256; do
    rsvg-convert -w "$size" -h "$size" icons/quilder.svg -o "icons/quilder${size}.png"
done
