#!/usr/bin/env bash
# End to end against ImageMagick on one 12-megapixel photo: decode, resize to 512 x 480 and then
# 128 x 240, Floyd-Steinberg onto the 16 TVC colours, write the 512 x 480 BMP. ImageMagick runs in
# two forms: plainly, and at its best with the JPEG size hint that lets libjpeg decode at a DCT
# scale. Prints each command's median wall time over RUNS alternating runs and both ratios.
# Installs ImageMagick and builds vorbix-cli if needed.
set -euo pipefail
cd "$(dirname "$0")/.."
VORBIX_EXTRA_PACKAGES="imagemagick bc" scripts/setup.sh build
runs="${RUNS:-7}"
cli="${VORBIX_CLI:-build/cli/vorbix-cli}"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

convert -size 4000x3000 -seed 7 plasma:fractal -blur 0x1 -quality 90 "$work/photo.jpg"
# The 16 TVC colours (black appears once: the second black adds nothing to a remap).
convert xc:'#000000' xc:'#000091' xc:'#910000' xc:'#910091' xc:'#009100' xc:'#009191' xc:'#919100' \
  xc:'#919191' xc:'#0000ff' xc:'#ff0000' xc:'#ff00ff' xc:'#00ff00' xc:'#00ffff' xc:'#ffff00' xc:'#ffffff' \
  +append "$work/tvc16.png"

ours=("$cli" "$work/photo.jpg" --mode 16 --method Floyd --out-dir "$work/ours")
plain=(convert "$work/photo.jpg" -resize '512x480!' -resize '128x240!' -dither FloydSteinberg -remap "$work/tvc16.png"
  -sample '512x480!' "BMP3:$work/im.bmp")
hinted=(convert -define jpeg:size=1024x960 "$work/photo.jpg" -resize '512x480!' -resize '128x240!' -dither FloydSteinberg
  -remap "$work/tvc16.png" -sample '512x480!' "BMP3:$work/im.bmp")
echo "vorbix:                  ${ours[*]}"
echo "ImageMagick plainly:     ${plain[*]}"
echo "ImageMagick with a hint: ${hinted[*]}"

seconds() { local s e; s=$(date +%s.%N); "$@" >/dev/null 2>&1; e=$(date +%s.%N); echo "$e - $s" | bc -l; }
median() { sort -g | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
: >"$work/ours.txt"; : >"$work/plain.txt"; : >"$work/hinted.txt"
for _ in $(seq "$runs"); do
  seconds "${ours[@]}" >>"$work/ours.txt"
  seconds "${plain[@]}" >>"$work/plain.txt"
  seconds "${hinted[@]}" >>"$work/hinted.txt"
done
o=$(median <"$work/ours.txt"); p=$(median <"$work/plain.txt"); h=$(median <"$work/hinted.txt")
printf 'vorbix-cli %.3f s; ImageMagick plainly %.3f s (ratio %.2f), with the hint %.3f s (ratio %.2f)\n' \
  "$o" "$p" "$(echo "$p / $o" | bc -l)" "$h" "$(echo "$h / $o" | bc -l)"
