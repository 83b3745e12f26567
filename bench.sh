#!/usr/bin/env bash
# Builds and runs the benchmarks: a table of medians on the terminal, all figures in bench/results.json.
# Extra arguments go to the benchmark binary (for example --benchmark_filter=Convert).
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup.sh build
build/bench/vorbix_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
  --benchmark_display_aggregates_only=true --benchmark_out=bench/results.json --benchmark_out_format=json "$@" \
  | grep -E '^(Benchmark|-+$)|_median'
