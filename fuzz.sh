#!/usr/bin/env bash
# Builds the fuzz targets with clang and runs each for SECONDS (default 60), one after the
# other, seeded with the pictures under tests/data/ and samples/. What a run finds is kept in
# build-fuzz/artifacts/; the growing corpora stay in build-fuzz/corpus/ for the next run.
# Usage: ./fuzz.sh [SECONDS] [TARGET...]   (targets: picture options screen packing settings)
set -euo pipefail
cd "$(dirname "$0")"
seconds="${1:-60}"
shift || true
if [ $# -gt 0 ]; then targets=("$@"); else targets=(picture options screen packing settings); fi

CC=clang CXX=clang++ VORBIX_EXTRA_PACKAGES="clang libclang-rt-14-dev ${VORBIX_EXTRA_PACKAGES:-}" \
  VORBIX_TARGETS="fuzz_picture fuzz_options fuzz_screen fuzz_packing fuzz_settings vorbix-cli" scripts/setup.sh build-fuzz -DVORBIX_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo

build="$PWD/build-fuzz"
mkdir -p "$build/artifacts"

# A picture input starts with one byte that chooses mode, "Resize" and method; give every seed
# picture a few different ones.
seed_pictures() {
  local seeds="$build/seeds/picture" n=0
  rm -rf "$seeds"
  mkdir -p "$seeds"
  for file in tests/data/*/* samples/*.jpg samples/*.bmp; do
    [ -f "$file" ] || continue
    case "$file" in *.py) continue ;; esac
    for choice in $((n * 37 % 256)) $((n * 53 % 256 + 5)); do
      { printf "\\$(printf '%03o' $((choice % 256)))"; cat "$file"; } >"$seeds/$(basename "$file").$choice"
    done
    n=$((n + 1))
  done
  echo "$seeds"
}

# Headed screen files of each mode, made by the command line from the sample picture.
seed_screens() {
  local seeds="$build/seeds/screen"
  rm -rf "$seeds"
  mkdir -p "$seeds"
  for mode in 2 4 16; do
    "$build/cli/vorbix-cli" samples/landscape.jpg --mode "$mode" --out-dir "$seeds/$mode" >/dev/null
    mv "$seeds/$mode/screen.tim" "$seeds/landscape-$mode.tim"
    rm -rf "$seeds/$mode"
  done
  echo "$seeds"
}

for target in "${targets[@]}"; do
  corpus="$build/corpus/$target"
  mkdir -p "$corpus"
  case "$target" in
    picture) seeds=$(seed_pictures); extra=(-max_len=262144 -rss_limit_mb=4096 -timeout=30) ;;
    options) seeds=fuzz/seeds/options; extra=(-dict=fuzz/options.dict -max_len=512 -timeout=10) ;;
    screen) seeds=$(seed_screens); extra=(-max_len=20000 -timeout=10) ;;
    packing) seeds=$(seed_screens); extra=(-max_len=4096 -timeout=30) ;;
    settings) seeds=fuzz/seeds/settings; extra=(-dict=fuzz/settings.dict -max_len=8192 -timeout=10) ;;
    *) echo "unknown target $target" >&2; exit 2 ;;
  esac
  echo "== fuzz_$target for $seconds s"
  ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    "$build/fuzz/fuzz_$target" "$corpus" "$seeds" -max_total_time="$seconds" -print_final_stats=1 \
    -artifact_prefix="$build/artifacts/$target-" "${extra[@]}"
done
