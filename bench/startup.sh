#!/usr/bin/env bash
# Start-up benchmark: time from start to the window mapped, and peak memory, of quorvane-config
# against an empty frameless Qt window of the same size, run alternately under a private Xvfb.
#
#   bench/startup.sh [build folder] [runs]
#
# Defaults: build/ci and 15 runs of each. Needs Xvfb and /usr/bin/time; the build must hold the
# bench targets empty-window and map-wait. The editor runs in a folder that already holds
# VOZ.INI and its backup, as in everyday use, so it reads and writes nothing else.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/ci}
runs=${2:-15}
editor=$build/app/quorvane-config
empty=$build/bench/empty-window
map_wait=$build/bench/map-wait
for f in "$editor" "$empty" "$map_wait"; do
  [ -x "$f" ] || { echo "missing $f: build the project (and its bench targets) first" >&2; exit 2; }
done
[ -x /usr/bin/time ] || { echo "missing /usr/bin/time (Debian package: time)" >&2; exit 2; }
# shellcheck source=../scripts/xvfb-common.sh
. "$root/scripts/xvfb-common.sh"

work=$(mktemp -d)
trap 'stop_xvfb; rm -rf "$work"' EXIT
mkdir "$work/editor"
cp "$editor" "$work/editor/quorvane-config"
cp "$root/tests/data/VOZ.default.INI" "$work/editor/VOZ.INI"
cp "$root/tests/data/VOZ.default.INI" "$work/editor/VOZ_backup.INI"
start_xvfb

# run <title> <program> [arguments]: prints "<ms to map> <peak RSS in KB>".
run() {
  local ms rss title=$1
  shift
  ms=$("$map_wait" "$title" 10000 /usr/bin/time -v -o "$work/time.txt" "$@")
  rss=$(awk -F': ' '/Maximum resident set size/ {print $2}' "$work/time.txt")
  echo "$ms $rss"
}

median() { sort -n | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }

# One discarded run each warms the disk and font caches.
run "Quorvane Configuration" "$work/editor/quorvane-config" >/dev/null
run "Empty Window" "$empty" >/dev/null
run "Label Window" "$empty" --label >/dev/null

: >"$work/editor.txt"
: >"$work/empty.txt"
: >"$work/label.txt"
for _ in $(seq "$runs"); do
  run "Quorvane Configuration" "$work/editor/quorvane-config" >>"$work/editor.txt"
  run "Empty Window" "$empty" >>"$work/empty.txt"
  run "Label Window" "$empty" --label >>"$work/label.txt"
  printf '.' >&2
done
echo >&2

editor_ms=$(cut -d' ' -f1 "$work/editor.txt" | median)
editor_kb=$(cut -d' ' -f2 "$work/editor.txt" | median)
empty_ms=$(cut -d' ' -f1 "$work/empty.txt" | median)
empty_kb=$(cut -d' ' -f2 "$work/empty.txt" | median)
label_ms=$(cut -d' ' -f1 "$work/label.txt" | median)
label_kb=$(cut -d' ' -f2 "$work/label.txt" | median)

awk -v runs="$runs" -v em="$editor_ms" -v ek="$editor_kb" -v bm="$empty_ms" -v bk="$empty_kb" \
    -v lm="$label_ms" -v lk="$label_kb" 'BEGIN {
  printf "medians of %d runs each (Xvfb, %s)\n", runs, ENVIRON["DISPLAY"]
  printf "%-24s %12s %14s\n", "", "start (ms)", "peak RSS (KB)"
  printf "%-24s %12.1f %14d\n", "quorvane-config", em, ek
  printf "%-24s %12.1f %14d\n", "empty-window", bm, bk
  tr = em / bm; mr = ek / bk
  printf "%-24s %11.2fx %13.2fx\n", "ratio", tr, mr
  printf "%-24s %12.1f %14d   (%.2fx, %.2fx of the empty window)\n", "empty-window --label", lm, lk, lm / bm, lk / bk
  printf "goal: time <= 1.30x (%s), memory <= 1.20x (%s)\n", tr <= 1.3 ? "met" : "NOT met", mr <= 1.2 ? "met" : "NOT met"
}'
