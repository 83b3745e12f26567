#!/usr/bin/env bash
# Installs what is missing, builds, and starts the converter on FOLDER (default: the bundled
# sample pictures). Without a display it converts a sample with vorbix-cli instead.
# With --web it builds the page instead and serves it on this machine (VORBIX_WEB_PORT, default 8000).
set -euo pipefail
cd "$(dirname "$0")"
if [ "${1:-}" = "--web" ]; then
  scripts/build-web.sh
  port="${VORBIX_WEB_PORT:-8000}"
  echo "Vorbix in the browser: http://127.0.0.1:$port/ (Ctrl+C stops the server)"
  exec python3 scripts/serve_web.py build-web "$port"
fi
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
