#!/usr/bin/env bash
# Start-up benchmark of the Windows build under Wine: time from start to the window mapped, and to
# its first complete frame (the last drawing before the window stays unchanged for 300 ms, from X
# DAMAGE events), of quorvane-config.exe against the smallest Win32 program that shows a window of
# the same size (bench/empty_window_win32.cpp), run alternately under a private Xvfb; the medians,
# their ratios and the .exe's size.
#
#   bench/startup-windows.sh [build folder] [runs]
#
# Defaults: build/windows-release (scripts/build-windows.sh makes it) and 15 runs of each. Both
# programs run in one Wine prefix (build/wine-bench) under one server that stays up, as on a
# desktop where Wine is already running. The editor runs in a folder that already holds VOZ.INI
# and its backup, as in everyday use.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/windows-release}
runs=${2:-15}
editor=$build/app/quorvane-config.exe
empty=$build/bench/empty-window-win32.exe
if [ ! -f "$empty" ] && [ -f "$build/CMakeCache.txt" ]; then
  cmake --build "$build" --target empty-window-win32 >/dev/null
fi
for f in "$editor" "$empty"; do
  [ -f "$f" ] || { echo "missing $f: run scripts/build-windows.sh first" >&2; exit 2; }
done
# shellcheck source=../scripts/xvfb-common.sh
. "$root/scripts/xvfb-common.sh"

work=$(mktemp -d)
trap 'wine_stop; stop_xvfb; rm -rf "$work"' EXIT
# The X side of the measurement: it waits for the map itself, without polling.
c++ -O2 -o "$work/map-wait" "$root/bench/map_wait.cpp" -lXdamage -lX11 ||
  { echo "cannot build bench/map_wait.cpp (needs libx11-dev and libxdamage-dev)" >&2; exit 2; }
mkdir "$work/editor" "$work/empty"
cp "$editor" "$work/editor/quorvane-config.exe"
cp "$empty" "$work/empty/empty-window-win32.exe"
cp "$root/tests/data/VOZ.default.INI" "$work/editor/VOZ.INI"
cp "$root/tests/data/VOZ.default.INI" "$work/editor/VOZ_backup.INI"
wine_start "$root/build/wine-bench"
wine=$(command -v wine64 || command -v wine)
[ -x /usr/lib/wine/wine64 ] && wine=/usr/lib/wine/wine64

# run <title> <program.exe>: prints the milliseconds to the map and to the first complete frame.
run() {
  "$work/map-wait" --frame "$1" 20000 "$wine" "$2"
}

median() { sort -n | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }

# One discarded run each warms the disk and Wine's caches.
run "Quorvane Configuration" "$work/editor/quorvane-config.exe" >/dev/null
run "Empty Window" "$work/empty/empty-window-win32.exe" >/dev/null

: >"$work/editor.txt"
: >"$work/empty.txt"
for _ in $(seq "$runs"); do
  run "Quorvane Configuration" "$work/editor/quorvane-config.exe" >>"$work/editor.txt"
  run "Empty Window" "$work/empty/empty-window-win32.exe" >>"$work/empty.txt"
  printf '.' >&2
done
echo >&2

column() { awk -v c="$1" '{print $c}' "$2"; }
editor_map=$(column 1 "$work/editor.txt" | median)
empty_map=$(column 1 "$work/empty.txt" | median)
editor_frame=$(column 2 "$work/editor.txt" | median)
empty_frame=$(column 2 "$work/empty.txt" | median)
range() { sort -n | awk 'NR == 1 {lo = $1} {hi = $1} END {printf "%.0f to %.0f", lo, hi}'; }
size=$(stat -c %s "$editor")
awk -v runs="$runs" -v em="$editor_map" -v bm="$empty_map" -v ef="$editor_frame" \
    -v bf="$empty_frame" -v size="$size" \
    -v emr="$(column 1 "$work/editor.txt" | range)" -v bmr="$(column 1 "$work/empty.txt" | range)" \
    -v efr="$(column 2 "$work/editor.txt" | range)" -v bfr="$(column 2 "$work/empty.txt" | range)" 'BEGIN {
  printf "medians of %d runs each, alternating (Wine under Xvfb, %s)\n", runs, ENVIRON["DISPLAY"]
  printf "%-24s %10s %18s %12s %18s\n", "", "map (ms)", "range", "frame (ms)", "range"
  printf "%-24s %10.1f %18s %12.1f %18s\n", "quorvane-config.exe", em, emr, ef, efr
  printf "%-24s %10.1f %18s %12.1f %18s\n", "empty-window-win32.exe", bm, bmr, bf, bfr
  printf "%-24s %9.2fx %18s %11.2fx\n", "ratio", em / bm, "", ef / bf
  printf "quorvane-config.exe: %d bytes (%.2f MiB)\n", size, size / 1048576
}'
