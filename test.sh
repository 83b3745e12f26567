#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test; then runs them all again in a build
# with AddressSanitizer and UndefinedBehaviorSanitizer, where any report fails the test; last, builds
# the page and drives it in headless chromium against vorbix-cli's files.
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup.sh build
QT_QPA_PLATFORM=offscreen ctest --test-dir build --output-on-failure -j2 --timeout 600
scripts/setup.sh build-asan -DVORBIX_SANITIZE=ON
ASAN_OPTIONS=detect_leaks=1:check_initialization_order=1:strict_string_checks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  QT_QPA_PLATFORM=offscreen ctest --test-dir build-asan --output-on-failure -j2 --timeout 1500
scripts/build-web.sh chromium python3-websocket
/usr/bin/python3 tests/web/page_test.py build-web build/cli/vorbix-cli
