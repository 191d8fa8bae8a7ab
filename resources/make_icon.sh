#!/usr/bin/env bash
# Draws korvexer.ico (a report sheet under a magnifying glass) at 32x32 and
# 16x16. The .ico is committed; run this only to change the drawing.
set -eu
cd "$(dirname "$0")"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
/usr/bin/convert -size 32x32 xc:none \
    -fill '#f4f4f4' -stroke '#1f3f7f' -strokewidth 1 -draw 'rectangle 4,2 22,28' \
    -stroke '#3f6fbf' -draw 'line 7,7 19,7' -draw 'line 7,11 19,11' -draw 'line 7,15 16,15' -draw 'line 7,19 14,19' \
    -fill '#bfe0ff' -stroke '#c00000' -strokewidth 2 -draw 'circle 20,19 26,19' \
    -strokewidth 3 -draw 'line 24,24 30,30' \
    "$tmp/32.png"
/usr/bin/convert "$tmp/32.png" -resize 16x16 "$tmp/16.png"
/usr/bin/convert "$tmp/32.png" "$tmp/16.png" -colors 256 korvexer.ico
