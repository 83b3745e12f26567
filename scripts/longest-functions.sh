#!/bin/sh
# Lists the longest C++ functions of the source tree (tests left out),
# as "lines  file:line  name". Usage: longest-functions.sh [COUNT]
set -eu
count=${1:-10}
cd "$(dirname "$0")/.."
find core dither io draw pipeline cli ui web bench fuzz \( -name '*.cpp' -o -name '*.h' \) |
  sort |
  ctags -L - --languages=C++ --kinds-C++=f --fields=+ne -x --_xformat='%{end} %{line} %F %N' |
  awk '$1 ~ /^[0-9]+$/ { printf "%5d  %s:%s  %s\n", $1 - $2 + 1, $3, $2, $4 }' |
  sort -rn |
  head -n "$count"
