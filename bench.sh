#!/usr/bin/env bash
# Builds and runs the benchmarks: a table of medians on the terminal, all figures in bench/results.json
# (the window's in bench/results-window.json). Extra arguments go to both benchmark binaries (for
# example --benchmark_filter=Convert).
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup.sh build
for binary in bench/vorbix_bench:results tests/gui/vorbix_window_bench:results-window; do
  QT_QPA_PLATFORM=offscreen "build/${binary%%:*}" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
    --benchmark_display_aggregates_only=true --benchmark_out="bench/${binary##*:}.json" --benchmark_out_format=json "$@" \
    | grep -E '^(Benchmark|-+$)|_median'
done
