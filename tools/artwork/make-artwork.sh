#!/bin/sh
# Draws the start screen's artwork with ImageMagick: the banner (599 x 55)
# and the strip under it (511 x 20), each at 1x and 2x (file@2x.png) for
# high-density displays. Run it from anywhere; it writes into
# src/resources/images/ of the source tree.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
out="$here/../../src/resources/images"
convert=/usr/bin/convert
bold=/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf
light=/usr/share/fonts/truetype/dejavu/DejaVuSans-ExtraLight.ttf
mkdir -p "$out"

draw() {  # scale suffix
    s=$1
    sfx=$2
    w=$((599 * s)); h=$((55 * s))
    # Banner: a dark blue to teal band, the two product names, and four
    # rising bars, the quartiles an enterprise is ranked against.
    $convert -size ${w}x${h} -define gradient:direction=east "gradient:#10304f-#1d6b86" \
        -fill white -font "$bold" -pointsize $((26 * s)) -annotate +$((20 * s))+$((37 * s)) "ZORVA" \
        -fill "#8fc9da" -draw "rectangle $((128 * s)),$((14 * s)) $((129 * s)),$((41 * s))" \
        -fill "#d6eef5" -font "$light" -pointsize $((26 * s)) -annotate +$((142 * s))+$((37 * s)) "VELMO" \
        -fill "#3f8fb0" -draw "rectangle $((503 * s)),$((33 * s)) $((515 * s)),$((43 * s))" \
        -fill "#6fb1c9" -draw "rectangle $((520 * s)),$((26 * s)) $((532 * s)),$((43 * s))" \
        -fill "#a6d3e2" -draw "rectangle $((537 * s)),$((19 * s)) $((549 * s)),$((43 * s))" \
        -fill "#f2b544" -draw "rectangle $((554 * s)),$((11 * s)) $((566 * s)),$((43 * s))" \
        -fill "#8fc9da" -draw "rectangle $((499 * s)),$((44 * s)) $((570 * s)),$((44 * s + s - 1))" \
        -strip "PNG24:$out/banner$sfx.png"
    # Strip: four segments from light to dark, separated by thin gaps.
    w=$((511 * s)); h=$((20 * s)); seg=$((w / 4)); gap=$((3 * s))
    $convert -size ${w}x${h} xc:none \
        -fill "#d7e9f1" -draw "rectangle 0,$((7 * s)) $((seg - gap)),$((12 * s))" \
        -fill "#a6d3e2" -draw "rectangle $((seg)),$((7 * s)) $((2 * seg - gap)),$((12 * s))" \
        -fill "#5fa3bf" -draw "rectangle $((2 * seg)),$((7 * s)) $((3 * seg - gap)),$((12 * s))" \
        -fill "#1d6b86" -draw "rectangle $((3 * seg)),$((7 * s)) $((w - 1)),$((12 * s))" \
        -strip "PNG32:$out/strip$sfx.png"
}

draw 1 ""
draw 2 "@2x"
