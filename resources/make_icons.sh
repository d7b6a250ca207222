#!/usr/bin/env bash
# Draws the editor's icons with ImageMagick: the toolbar buttons (16x16) and the program and
# tray icons (several sizes). Run from anywhere; writes into resources/icons/.
set -euo pipefail
cd "$(dirname "$0")/icons"
F=DejaVu-Sans-Bold

# glyph NAME TEXT FG BG [POINTSIZE]: a letter icon on a rounded tile.
glyph() {
  convert -size 16x16 xc:none -fill "$4" -draw "roundrectangle 0,0 15,15 3,3" \
    -font "$F" -pointsize "${5:-11}" -fill "$3" -gravity center -annotate +0+0 "$2" \
    "tb_$1.png"
}
# page NAME: a sheet of paper with a folded corner, then extra drawing.
page() {
  local name=$1
  shift
  convert -size 16x16 xc:none -fill white -stroke '#404040' \
    -draw "polygon 3,1 10,1 13,4 13,14 3,14" -draw "line 10,1 10,4" -draw "line 10,4 13,4" \
    "$@" "tb_$name.png"
}

page new
convert -size 16x16 xc:none -fill '#e8c860' -stroke '#806020' \
  -draw "polygon 1,4 6,4 7,6 14,6 14,14 1,14" -fill '#f8e090' -draw "polygon 3,8 15,8 14,14 1,14" \
  tb_open.png
convert -size 16x16 xc:none -fill '#3060b0' -stroke '#203060' -draw "rectangle 1,1 14,14" \
  -fill white -stroke none -draw "rectangle 4,2 11,7" -fill '#c0c0c0' -draw "rectangle 5,10 10,14" \
  tb_save.png
convert -size 16x16 xc:none -fill none -stroke '#303030' -strokewidth 1.5 \
  -draw "circle 4,12 4,14" -draw "circle 11,12 11,14" -draw "line 5,10 11,2" -draw "line 10,10 4,2" \
  tb_cut.png
convert -size 16x16 xc:none -fill white -stroke '#404040' -draw "rectangle 1,1 9,10" \
  -draw "rectangle 6,5 14,14" tb_copy.png
convert -size 16x16 xc:none -fill '#c09050' -stroke '#604020' -draw "rectangle 2,2 12,14" \
  -fill white -draw "rectangle 6,6 14,15" -fill '#808080' -stroke none -draw "rectangle 5,1 9,3" \
  tb_paste.png
glyph cyrvert "Я" white '#b03030'
glyph smart "Я" white '#7040b0'
glyph clipboard "Я" '#b03030' '#e8c860'
glyph translate "T" white '#3070b0'
glyph eighth "8" white '#308040'
convert -size 16x16 xc:none -fill '#707070' -stroke '#404040' -draw "circle 8,8 8,1" \
  -fill white -draw "circle 8,8 8,5" tb_options.png
convert -size 16x16 xc:none -fill '#d02020' -stroke '#801010' \
  -draw "polygon 5,1 11,1 15,5 15,11 11,15 5,15 1,11 1,5" -fill white -stroke white \
  -draw "rectangle 4,7 12,9" tb_stop.png
glyph about "i" white '#3070b0' 12
glyph help "?" black '#f0e060' 12

# The program icon and the tray icon: a red tile with "Яя".
for size in 16 32 48 64 128; do
  pt=$((size * 9 / 16))
  r=$((size / 6))
  convert -size ${size}x${size} xc:none -fill '#b03030' \
    -draw "roundrectangle 0,0 $((size - 1)),$((size - 1)) $r,$r" \
    -font "$F" -pointsize $pt -fill white -gravity center -annotate +0+0 "Яя" \
    "cyrvert_$size.png"
done
convert -size 22x22 xc:none -fill '#b03030' -draw "roundrectangle 0,0 21,21 4,4" \
  -font "$F" -pointsize 15 -fill white -gravity center -annotate +0+0 "Я" tray.png
