#!/usr/bin/env bash
# Renders the SVG pictures to the PNG files the program embeds (needs ImageMagick). The PNG files
# are committed, so a build needs no renderer; run this after changing an SVG.
set -euo pipefail
cd "$(dirname "$0")"
render() { convert -background none -density 384 "$1" -resize "$3x$4" "$2"; }
for svg in toolbar/*.svg about/web.svg about/mail.svg about/close.svg; do
    size=$(sed -n 's/.*<svg[^>]* width="\([0-9]*\)".*/\1/p' "$svg")
    render "$svg" "${svg%.svg}.png" "$size" "$size"
done
render about/product.svg about/product.png 72 72
render about/maker.svg about/maker.png 141 56
render icons/quilder.svg icons/quilder16.png 16 16
render icons/quilder.svg icons/quilder32.png 32 32
render icons/quilder.svg icons/quilder64.png 64 64
