#!/usr/bin/env bash
# Draws the offset window's two feed pictures (data/Image/sys_exZX.jpg, sys_exHX.jpg): the form
# seen from above as it goes into the printer, upright (纵向) or turned (横向). Run by hand after
# a change; the pictures are shipped as drawn. Needs ImageMagick and the Noto CJK fonts.
set -euo pipefail
cd "$(dirname "$0")/.."
font=/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc

# draw OUT CAPTION FORM_W FORM_H TITLE_ROTATION
draw() {
    local out=$1 caption=$2 w=$3 h=$4 turn=$5
    local x0=$(( 200 - w / 2 )) y0=135 x1=$(( 200 + w / 2 )) y1=$(( 135 + h ))
    local lines=""
    for k in 1 2 3 4 5; do
        if [ "$turn" = 0 ]; then
            local y=$(( y0 + 30 + k * (h - 40) / 6 ))
            lines+="line $(( x0 + 12 )),$y $(( x1 - 12 )),$y "
        else
            local x=$(( x1 - 30 - k * (w - 40) / 6 ))
            lines+="line $x,$(( y0 + 12 )) $x,$(( y1 - 12 )) "
        fi
    done
    local tx ty
    if [ "$turn" = 0 ]; then tx=$(( 200 - 30 )); ty=$(( y0 + 28 )); else tx=$(( x1 - 32 )); ty=$(( y0 + h / 2 - 30 )); fi
    convert -size 400x400 xc:white -font "$font" \
        -fill '#555555' -draw "roundrectangle 40,40 360,110 10,10" \
        -fill '#222222' -draw "rectangle 60,100 340,116" \
        -fill white -pointsize 20 -draw "text 150,82 '打印机'" \
        -fill '#fdfbe8' -stroke '#333333' -strokewidth 2 -draw "rectangle $x0,$y0 $x1,$y1" \
        -stroke '#9a9a9a' -strokewidth 1 -draw "$lines" \
        -stroke none -fill '#1a1a1a' -pointsize 20 -draw "translate $tx,$ty rotate $turn text 0,0 '出货单'" \
        -stroke '#c62828' -strokewidth 6 -draw "line 30,300 30,140" \
        -fill '#c62828' -stroke none -draw "polygon 18,150 42,150 30,124" \
        -fill '#c62828' -pointsize 16 -draw "text 10,330 '进纸'" \
        -fill '#1a1a1a' -pointsize 18 -draw "text 20,385 '$caption'" \
        -quality 85 "$out"
}

draw data/Image/sys_exZX.jpg "纵向：票据正放，上边先进打印机" 240 140 0
draw data/Image/sys_exHX.jpg "横向：票据转90°，左边先进打印机" 120 200 90
