#!/bin/sh
# Renders zorva.svg into the PNG sizes of the hicolor icon theme
# (icons/hicolor/SIZExSIZE/apps/zorva.png). Needs rsvg-convert (librsvg2-bin).
# The PNGs are kept in the source tree, so the build does not need it.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
for s in 16 22 24 32 48 64 128 256 512; do
    mkdir -p "$here/hicolor/${s}x${s}/apps"
    rsvg-convert -w "$s" -h "$s" "$here/zorva.svg" -o "$here/hicolor/${s}x${s}/apps/zorva.png"
done
