#!/usr/bin/env bash
# Installs what is missing, builds, and starts the converter on FOLDER (default: the bundled
# sample pictures). Without a display it converts a sample with vorbix-cli instead.
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup.sh build
folder="${1:-samples}"
if [ -x build/ui/vorbix ] && { [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; }; then
  exec build/ui/vorbix "$folder"
fi
out="$PWD/out"
sample=$(ls "$folder"/*.jpg "$folder"/*.JPG "$folder"/*.bmp "$folder"/*.BMP 2>/dev/null | head -n 1 || true)
if [ -z "$sample" ]; then
  echo "No picture (*.jpg, *.bmp) in $folder" >&2
  exit 1
fi
build/cli/vorbix-cli "$sample" --out-dir "$out" --json
echo "No display: converted $sample; the files are in $out (out24.bmp, screen.bin, screen.tim)."
