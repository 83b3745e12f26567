#!/usr/bin/env bash
# Converts the same pictures with two vorbix-cli builds and compares what they write, byte for byte.
# Every picture is run in every mode (2, 4, 16), every method (1..24), with Resize on and off
# (--no-resize), always with --cas; then with Resize on, best colours (--palette2/4 best) in
# Graphics 2 and 4 and a refined result (--refine, a budget long enough to converge) in every
# mode, each for methods 2, 17 and 24. out24.bmp, screen.bin, screen.tim and screen.cas of the
# two builds are compared with cmp. Ends with "compared N files, D differences" and a list.
#
# Usage: scripts/compare-outputs.sh OLD_CLI NEW_CLI [PICTURE...]
#   Pictures default to samples/*.jpg, samples/*.bmp and every *.jpg in $VORBIX_PHOTOS (if set).
#   VORBIX_COMPARE_EXTRAS=no: leave out the best-colours and refined cases.
#   VORBIX_COMPARE_JOBS: cases run at once (default: number of cores).
#   VORBIX_COMPARE_KEEP=DIR: copy the outputs and logs of every differing case into DIR.
# Exit status: 0 when everything matches, 1 when anything differs, 2 on wrong usage.
set -euo pipefail
export LC_ALL=C

usage() {
  sed -n '9,14p' "$0" | sed 's/^# \{0,1\}//' >&2
  exit 2
}
[ $# -ge 2 ] || usage

absolute() {
  case "$1" in
    /*) printf '%s\n' "$1" ;;
    *) printf '%s/%s\n' "$PWD" "$1" ;;
  esac
}

old_cli=$(absolute "$1")
new_cli=$(absolute "$2")
shift 2
for cli in "$old_cli" "$new_cli"; do
  if [ ! -f "$cli" ] || [ ! -x "$cli" ]; then
    echo "compare-outputs: not an executable file: $cli" >&2
    exit 2
  fi
done

repo=$(cd "$(dirname "$0")/.." && pwd)
pictures=()
if [ $# -gt 0 ]; then
  pictures=("$@")
else
  shopt -s nullglob
  pictures=("$repo"/samples/*.jpg "$repo"/samples/*.bmp)
  if [ -n "${VORBIX_PHOTOS:-}" ]; then
    if [ ! -d "$VORBIX_PHOTOS" ]; then
      echo "compare-outputs: VORBIX_PHOTOS is not a folder: $VORBIX_PHOTOS" >&2
      exit 2
    fi
    pictures+=("$VORBIX_PHOTOS"/*.jpg)
  fi
  shopt -u nullglob
fi
if [ ${#pictures[@]} -eq 0 ]; then
  echo "compare-outputs: no pictures to convert" >&2
  exit 2
fi
for picture in "${pictures[@]}"; do
  if [ ! -f "$picture" ]; then
    echo "compare-outputs: no such picture: $picture" >&2
    exit 2
  fi
done

jobs=${VORBIX_COMPARE_JOBS:-$(nproc 2>/dev/null || echo 2)}
keep=${VORBIX_COMPARE_KEEP:-}
[ -z "$keep" ] || keep=$(absolute "$keep")

work=$(mktemp -d "${TMPDIR:-/tmp}/vorbix-compare.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir "$work/results"
export work old_cli new_cli keep

export files_list="out24.bmp screen.bin screen.tim screen.cas"

# One case: both CLIs into their own folders, then one result line per file (and one for the
# exit status when the two differ), tab-separated: same|diff, file, note.
# shellcheck disable=SC2317  # run by xargs through bash -c
run_case() {
  local id=$1 picture=$2 mode=$3 method=$4 resize=$5
  local dir="$work/$id"
  local options=(--mode "$mode" --method "$method")
  case "$resize" in
    off) options+=(--no-resize) ;;
    best) options+=("--palette$mode" best) ;;
    refined) options+=(--refine 120) ;;
  esac
  mkdir -p "$dir/old" "$dir/new" || return 255

  local old_rc=0 new_rc=0
  (cd "$dir/old" && exec "$old_cli" "${options[@]}" --cas --out-dir "$dir/old" "$picture") \
    >"$dir/old.log" 2>&1 </dev/null || old_rc=$?
  (cd "$dir/new" && exec "$new_cli" "${options[@]}" --cas --out-dir "$dir/new" "$picture") \
    >"$dir/new.log" 2>&1 </dev/null || new_rc=$?

  local result="$work/results/$id" file a b note differs=0
  : >"$result" || return 255
  if [ "$old_rc" != "$new_rc" ]; then
    printf 'diff\texit status\told %s, new %s\n' "$old_rc" "$new_rc" >>"$result"
    differs=1
  fi
  for file in $files_list; do
    a="$dir/old/$file"
    b="$dir/new/$file"
    if [ ! -f "$a" ] || [ ! -f "$b" ]; then
      if [ ! -f "$a" ] && [ ! -f "$b" ]; then
        note="missing in both"
      elif [ ! -f "$a" ]; then
        note="missing in old"
      else
        note="missing in new"
      fi
      [ "$old_rc$new_rc" = 00 ] || note="$note (exit status old $old_rc, new $new_rc)"
      printf 'diff\t%s\t%s\n' "$file" "$note" >>"$result"
      differs=1
    elif cmp -s -- "$a" "$b"; then
      printf 'same\t%s\t\n' "$file" >>"$result"
    else
      local size_a size_b first
      size_a=$(stat -c %s -- "$a")
      size_b=$(stat -c %s -- "$b")
      first=$(cmp -- "$a" "$b" 2>/dev/null | sed -n 's/.* differ: \(byte\|char\) \([0-9]*\),.*/\2/p' || true)
      if [ "$size_a" != "$size_b" ]; then
        note="sizes old $size_a, new $size_b bytes"
        [ -z "$first" ] || note="$note, first difference at byte $first"
      else
        note="first difference at byte ${first:-?}"
      fi
      printf 'diff\t%s\t%s\n' "$file" "$note" >>"$result"
      differs=1
    fi
  done
  if [ "$differs" = 1 ] && [ -n "$keep" ]; then
    mkdir -p "$keep/$id" && cp -R "$dir/." "$keep/$id/" || return 255
  fi
  rm -rf "$dir"
}
export -f run_case

# Cases in the order they are listed: picture, mode, method, resize on then off.
declare -a labels=()
cases="$work/cases"
: >"$cases"
count=0
for picture in "${pictures[@]}"; do
  label=${picture#"$repo"/}
  path=$(absolute "$picture")
  for mode in 2 4 16; do
    variants=("on off")
    if [ "${VORBIX_COMPARE_EXTRAS:-yes}" != no ]; then
      [ "$mode" = 16 ] || variants+=("best")
      variants+=("refined")
    fi
    for variant in "${variants[@]}"; do
      methods=$(seq 1 24)
      [ "$variant" = "on off" ] || methods="2 17 24"
      for method in $methods; do
        for resize in $variant; do
          count=$((count + 1))
          printf -v id '%06d' "$count"
          labels[count]="$label	$mode	$method	$resize"
          printf '%s\0%s\0%s\0%s\0%s\0' "$id" "$path" "$mode" "$method" "$resize" >>"$cases"
        done
      done
    done
  done
done

echo "compare-outputs: ${#pictures[@]} pictures, $count cases, $jobs at once" >&2
start=$SECONDS
if ! xargs -0 -n 5 -P "$jobs" bash -c 'run_case "$@"' run_case <"$cases"; then
  echo "compare-outputs: a case could not be run (see above)" >&2
  exit 2
fi

compared=0
differences=0
listing=()
for ((i = 1; i <= count; i++)); do
  printf -v id '%06d' "$i"
  result="$work/results/$id"
  if [ ! -s "$result" ]; then
    echo "compare-outputs: case $id left no result" >&2
    exit 2
  fi
  IFS=$'\t' read -r label mode method resize <<<"${labels[i]}"
  while IFS=$'\t' read -r verdict file note; do
    [ "$file" = "exit status" ] || compared=$((compared + 1))
    if [ "$verdict" = diff ]; then
      differences=$((differences + 1))
      listing+=("  $label  mode $mode  method $method  $resize  $file: $note")
    fi
  done <"$result"
done

echo "compare-outputs: took $((SECONDS - start)) s" >&2
echo "compared $compared files, $differences differences"
if [ "$differences" -gt 0 ]; then
  printf '%s\n' "${listing[@]}"
  [ -z "$keep" ] || echo "outputs and logs of the differing cases: $keep"
  exit 1
fi
exit 0
