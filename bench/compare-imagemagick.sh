#!/usr/bin/env bash
# End to end against ImageMagick on one 12-megapixel photo: decode, resize to 128 x 240,
# Floyd-Steinberg onto the 16 TVC colours, write a BMP. Prints each tool's median wall time over
# RUNS alternating runs and the ratio. Installs ImageMagick and builds vorbix-cli if needed.
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
theirs=(convert "$work/photo.jpg" -resize '128x240!' -dither FloydSteinberg -remap "$work/tvc16.png" "BMP3:$work/im.bmp")
echo "vorbix:      ${ours[*]}"
echo "ImageMagick: ${theirs[*]}"

seconds() { local s e; s=$(date +%s.%N); "$@" >/dev/null 2>&1; e=$(date +%s.%N); echo "$e - $s" | bc -l; }
median() { sort -g | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
: >"$work/ours.txt"; : >"$work/theirs.txt"
for _ in $(seq "$runs"); do
  seconds "${ours[@]}" >>"$work/ours.txt"
  seconds "${theirs[@]}" >>"$work/theirs.txt"
done
o=$(median <"$work/ours.txt"); t=$(median <"$work/theirs.txt")
printf 'vorbix-cli %.3f s, ImageMagick convert %.3f s, ratio %.2f\n' "$o" "$t" "$(echo "$t / $o" | bc -l)"
