#!/usr/bin/env bash
# Two builds of the editor side by side: time from start to the window mapped and peak memory,
# run alternately under one private Xvfb, with the ratio of B to A.
#
#   bench/compare.sh <quorvane-config A> <quorvane-config B> [runs] [build folder with map-wait]
#
# Each runs in a folder of its own that already holds VOZ.INI and its backup.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
a=$1
b=$2
runs=${3:-15}
map_wait=${4:-$root/build/ci}/bench/map-wait
for f in "$a" "$b" "$map_wait" /usr/bin/time; do
  [ -x "$f" ] || { echo "missing $f" >&2; exit 2; }
done
# shellcheck source=../scripts/xvfb-common.sh
. "$root/scripts/xvfb-common.sh"

work=$(mktemp -d)
trap 'stop_xvfb; rm -rf "$work"' EXIT
for side in a b; do
  mkdir "$work/$side"
  cp "$root/tests/data/VOZ.default.INI" "$work/$side/VOZ.INI"
  cp "$root/tests/data/VOZ.default.INI" "$work/$side/VOZ_backup.INI"
done
cp "$a" "$work/a/quorvane-config"
cp "$b" "$work/b/quorvane-config"
start_xvfb

run() {
  local ms rss
  ms=$("$map_wait" "Quorvane Configuration" 10000 /usr/bin/time -v -o "$work/time.txt" \
    "$work/$1/quorvane-config")
  rss=$(awk -F': ' '/Maximum resident set size/ {print $2}' "$work/time.txt")
  echo "$ms $rss"
}
median() { sort -n | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }

run a >/dev/null
run b >/dev/null
: >"$work/a.txt"
: >"$work/b.txt"
for _ in $(seq "$runs"); do
  run a >>"$work/a.txt"
  run b >>"$work/b.txt"
  printf '.' >&2
done
echo >&2
awk -v runs="$runs" -v am="$(cut -d' ' -f1 "$work/a.txt" | median)" \
    -v ak="$(cut -d' ' -f2 "$work/a.txt" | median)" \
    -v bm="$(cut -d' ' -f1 "$work/b.txt" | median)" \
    -v bk="$(cut -d' ' -f2 "$work/b.txt" | median)" 'BEGIN {
  printf "medians of %d runs each\n%-8s %12s %14s\n", runs, "", "start (ms)", "peak RSS (KB)"
  printf "%-8s %12.1f %14d\n%-8s %12.1f %14d\n", "A", am, ak, "B", bm, bk
  printf "%-8s %11.2fx %13.2fx\n", "B / A", bm / am, bk / ak
}'
