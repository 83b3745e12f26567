#!/usr/bin/env bash
# Installs what the page's build needs (Debian 12), builds the page into build-web/ (with .gz files).
# Usage: scripts/build-web.sh [extra Debian packages...]
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(cmake ninja-build pasmo nlohmann-json3-dev emscripten "$@")
scripts/install-packages.sh "${packages[@]}"

# Debian's emscripten brings its system libraries prebuilt in a frozen cache, so the build needs no
# download and no cache of its own; its JavaScript optimizer finds acorn among Debian's node modules.
build=build-web-cmake
export NODE_PATH=/usr/share/nodejs
emcmake cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVORBIX_WEB=ON >/dev/null
cmake --build "$build"
# Beside each file its gzip, for servers that send it to browsers that take it (run.sh --web does).
find build-web -maxdepth 1 -type f \( -name '*.js' -o -name '*.wasm' -o -name '*.html' -o -name '*.css' \
  -o -name '*.svg' -o -name '*.webmanifest' \) -exec gzip -9 -k -f -n {} +
