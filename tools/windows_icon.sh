#!/usr/bin/env bash
# Makes resources/windows/ziq2.ico from the program's pictures: ziq.png (32 px) and
# ziq_256.png as they are, the other sizes Windows asks for at 100 to 250 % scaling (16, 20,
# 24, 40, 48 and 64 px for the tray, title bars and Explorer) scaled down from ziq_256.png.
# The icon is committed; run this after changing either picture.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/deps.sh imagemagick
convert=/usr/bin/convert # ImageMagick's own, whatever else is first on the PATH
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
sizes=()
for size in 16 20 24 32 40 48 64 256; do
    case $size in
    32) cp resources/ziq.png "$work/$size.png" ;;
    256) cp resources/ziq_256.png "$work/$size.png" ;;
    *) "$convert" resources/ziq_256.png -filter Lanczos -resize "${size}x$size" "$work/$size.png" ;;
    esac
    sizes+=("$work/$size.png")
done
"$convert" "${sizes[@]}" resources/windows/ziq2.ico
