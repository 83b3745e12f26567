#!/usr/bin/env bash
# Installs what the page's build needs (Debian 12), builds the page into build-web/.
# Usage: scripts/build-web.sh [extra Debian packages...]
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(cmake ninja-build pasmo nlohmann-json3-dev emscripten "$@")
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
fi

# Debian's emscripten brings its system libraries prebuilt in a frozen cache, so the build needs no
# download and no cache of its own; its JavaScript optimizer finds acorn among Debian's node modules.
build=build-web-cmake
export NODE_PATH=/usr/share/nodejs
emcmake cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVORBIX_WEB=ON >/dev/null
cmake --build "$build"
