#!/usr/bin/env bash
# Installs what the build needs (Debian 12) and configures and builds into the given folder.
# Usage: scripts/setup.sh BUILD_DIR [cmake options...]
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(cmake ninja-build g++ qt6-base-dev libpng-dev libgl-dev libgtest-dev libgmock-dev libbenchmark-dev pasmo nlohmann-json3-dev librsvg2-bin ${VORBIX_EXTRA_PACKAGES:-})
scripts/install-packages.sh "${packages[@]}"

build="$1"
shift
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release "$@" >/dev/null
cmake --build "$build" ${VORBIX_TARGETS:+--target $VORBIX_TARGETS}
