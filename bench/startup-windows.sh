#!/usr/bin/env bash
# Start-up benchmark of the Windows build under Wine: time from start to the window mapped, and to
# its first complete frame (the last drawing before the window stays unchanged for 300 ms, from X
# DAMAGE events), of quorvane-config.exe against the smallest Win32 program that shows a window of
# the same size (bench/empty_window_win32.cpp), run alternately under a private Xvfb; the medians,
# their ratios and the .exe's size.
#
#   bench/startup-windows.sh [build folder] [runs] [another quorvane-config.exe]
#
# Defaults: build/windows-release (scripts/build-windows.sh makes it) and 15 runs of each, rounded
# up to whole cycles of the balanced order below (16 for two programs, 18 for three). A
# second editor, given, runs in the same alternation (another build, to set beside this one in
# one run) and gets a row of its own. The programs run in one Wine prefix (build/wine-bench) under one server that stays up, as on a
# desktop where Wine is already running. The editor runs in a folder that already holds VOZ.INI
# and its backup, as in everyday use.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/windows-release}
runs=${2:-15}
editor=$build/app/quorvane-config.exe
empty=$build/bench/empty-window-win32.exe
other=${3:-}
if [ ! -f "$empty" ] && [ -f "$build/CMakeCache.txt" ]; then
  cmake --build "$build" --target empty-window-win32 >/dev/null
fi
for f in "$editor" "$empty" ${other:+"$other"}; do
  [ -f "$f" ] || { echo "missing $f: run scripts/build-windows.sh first" >&2; exit 2; }
done
# shellcheck source=../scripts/xvfb-common.sh
. "$root/scripts/xvfb-common.sh"

work=$(mktemp -d)
trap 'wine_stop; stop_xvfb; rm -rf "$work"' EXIT
# The X side of the measurement: it waits for the map itself, without polling.
c++ -O2 -o "$work/map-wait" "$root/bench/map_wait.cpp" -lXdamage -lX11 ||
  { echo "cannot build bench/map_wait.cpp (needs libx11-dev and libxdamage-dev)" >&2; exit 2; }
mkdir "$work/empty"
cp "$empty" "$work/empty/empty-window-win32.exe"
for name in editor ${other:+other}; do
  mkdir "$work/$name"
  cp "$root/tests/data/VOZ.default.INI" "$work/$name/VOZ.INI"
  cp "$root/tests/data/VOZ.default.INI" "$work/$name/VOZ_backup.INI"
done
cp "$editor" "$work/editor/quorvane-config.exe"
[ -z "$other" ] || cp "$other" "$work/other/quorvane-config.exe"
wine_start "$root/build/wine-bench"
wine=$(command -v wine64 || command -v wine)
[ -x /usr/lib/wine/wine64 ] && wine=/usr/lib/wine/wine64

# run <title> <program.exe>: prints the milliseconds to the map and to the first complete frame.
run() {
  "$work/map-wait" --frame "$1" 20000 "$wine" "$2"
}

median() { sort -n | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }

# The programs by name; each line of <name>.txt holds one run's two figures.
names=(editor empty ${other:+other})
declare -A title=([editor]="Quorvane Configuration" [empty]="Empty Window" [other]="Quorvane Configuration")
declare -A program=([editor]="$work/editor/quorvane-config.exe"
  [empty]="$work/empty/empty-window-win32.exe" [other]="$work/other/quorvane-config.exe")

# A discarded round of every program warms the disk and Wine's caches.
for name in "${names[@]}"; do
  run "${title[$name]}" "${program[$name]}" >/dev/null
done

# The order of the rounds. Whichever program starts a round measured tens of milliseconds slower
# than the others, so no program may hold a place: the rounds go through every rotation of the
# programs, forwards and backwards (with two, ABBA), so that each program is as often first, last
# and after each other program. The runs are rounded up to whole cycles of that order.
count=${#names[@]}
cycle=$((2 * count))
runs=$(((runs + cycle - 1) / cycle * cycle))
order_of_round() {
  local round=$1 shift_by i
  shift_by=$((round / 2 % count))
  for ((i = 0; i < count; i++)); do
    if ((round % 2 == 0)); then
      printf '%s\n' "${names[$(((i + shift_by) % count))]}"
    else
      printf '%s\n' "${names[$(((count - 1 - i + shift_by) % count))]}"
    fi
  done
}

for name in "${names[@]}"; do : >"$work/$name.txt"; done
for ((round = 0; round < runs; round++)); do
  while read -r name; do
    run "${title[$name]}" "${program[$name]}" >>"$work/$name.txt"
  done < <(order_of_round "$round")
  printf '.' >&2
done
echo >&2

column() { awk -v c="$1" '{print $c}' "$2"; }
range() { sort -n | awk 'NR == 1 {lo = $1} {hi = $1} END {printf "%.0f to %.0f", lo, hi}'; }
empty_map=$(column 1 "$work/empty.txt" | median)
empty_frame=$(column 2 "$work/empty.txt" | median)
printf 'medians of %d runs each, in a balanced alternating order (Wine under Xvfb, %s)\n' "$runs" "$DISPLAY"
printf '%-28s %10s %14s %9s %12s %14s %9s\n' "" "map (ms)" "range" "ratio" "frame (ms)" "range" "ratio"
# row <name> <file> <size>
row() {
  local map frame
  map=$(column 1 "$2" | median)
  frame=$(column 2 "$2" | median)
  printf '%-28s %10.1f %14s %8.2fx %12.1f %14s %8.2fx\n' "$1" "$map" "$(column 1 "$2" | range)" \
    "$(awk -v a="$map" -v b="$empty_map" 'BEGIN {print a / b}')" "$frame" \
    "$(column 2 "$2" | range)" "$(awk -v a="$frame" -v b="$empty_frame" 'BEGIN {print a / b}')"
}
row "quorvane-config.exe" "$work/editor.txt"
[ -z "$other" ] || row "$(basename "$(dirname "$other")")/$(basename "$other")" "$work/other.txt"
row "empty-window-win32.exe" "$work/empty.txt"
echo "ratios to the empty window; quorvane-config.exe: $(stat -c %s "$editor") bytes${other:+, the other: $(stat -c %s "$other") bytes}"
