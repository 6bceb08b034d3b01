#!/bin/sh
# Draws the main window's background picture: 650 x 450, flat green with a faint line drawing,
# baseline JPEG with three components. Run once; the result is kept in the repository.
set -eu
convert -size 650x450 xc:'rgb(104,150,104)' -stroke 'rgb(122,168,122)' -strokewidth 1 -fill none \
  -draw "circle 520,330 520,180" -draw "circle 520,330 520,230" \
  -draw "line 0,300 650,220" -draw "line 0,340 650,260" \
  -draw "path 'M 40,420 Q 200,300 330,400 T 640,380'" -draw "rectangle 30,60 200,110" \
  -quality 90 -interlace none -sampling-factor 2x2 -type TrueColor "${1:-src/ui/resources/background.jpg}"
