#!/bin/sh
# Renders the program's icon (../tirelo.svg) into the PNG sizes the package installs and the
# program carries. Run after changing the SVG; the PNGs are kept in the sources so that neither
# the build nor the program needs an SVG renderer.
set -eu
here=$(dirname "$0")
for size in 16 22 24 32 48 64 128 256; do
  convert -background none -density $((96 * size / 64)) "$here/../tirelo.svg" -resize "${size}x${size}" \
    "PNG32:$here/tirelo-$size.png"
done
