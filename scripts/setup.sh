#!/usr/bin/env bash
# Installs what the build needs (Debian 12) and configures and builds into the given folder.
# Usage: scripts/setup.sh BUILD_DIR [cmake options...]
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(cmake ninja-build g++ qt6-base-dev libpng-dev libgl-dev libgtest-dev libgmock-dev libbenchmark-dev pasmo nlohmann-json3-dev librsvg2-bin ${VORBIX_EXTRA_PACKAGES:-})
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

build="$1"
shift
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release "$@" >/dev/null
cmake --build "$build" ${VORBIX_TARGETS:+--target $VORBIX_TARGETS}
