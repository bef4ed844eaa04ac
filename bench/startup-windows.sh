#!/usr/bin/env bash
# Start-up benchmark of the Windows build under Wine: time from start to the window mapped of
# quorvane-config.exe against the smallest Win32 program that shows a window of the same size
# (bench/empty_window_win32.cpp), run alternately under a private Xvfb, and the .exe's size.
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
c++ -O2 -o "$work/map-wait" "$root/bench/map_wait.cpp" -lX11 ||
  { echo "cannot build bench/map_wait.cpp (needs libx11-dev)" >&2; exit 2; }
mkdir "$work/editor" "$work/empty"
cp "$editor" "$work/editor/quorvane-config.exe"
cp "$empty" "$work/empty/empty-window-win32.exe"
cp "$root/tests/data/VOZ.default.INI" "$work/editor/VOZ.INI"
cp "$root/tests/data/VOZ.default.INI" "$work/editor/VOZ_backup.INI"
wine_start "$root/build/wine-bench"
wine=$(command -v wine64 || command -v wine)
[ -x /usr/lib/wine/wine64 ] && wine=/usr/lib/wine/wine64

# run <title> <program.exe>: prints the milliseconds to the map.
run() {
  "$work/map-wait" "$1" 20000 "$wine" "$2"
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

editor_ms=$(median <"$work/editor.txt")
empty_ms=$(median <"$work/empty.txt")
range() { sort -n | awk 'NR == 1 {lo = $1} {hi = $1} END {printf "%.0f to %.0f", lo, hi}'; }
editor_range=$(range <"$work/editor.txt")
empty_range=$(range <"$work/empty.txt")
size=$(stat -c %s "$editor")
awk -v runs="$runs" -v em="$editor_ms" -v bm="$empty_ms" -v size="$size" \
    -v er="$editor_range" -v br="$empty_range" 'BEGIN {
  printf "medians of %d runs each (Wine under Xvfb, %s)\n", runs, ENVIRON["DISPLAY"]
  printf "%-24s %12s   %s\n", "", "start (ms)", "range (ms)"
  printf "%-24s %12.1f   %s\n", "quorvane-config.exe", em, er
  printf "%-24s %12.1f   %s\n", "empty-window-win32.exe", bm, br
  printf "%-24s %11.2fx\n", "ratio", em / bm
  printf "quorvane-config.exe: %d bytes (%.2f MiB)\n", size, size / 1048576
}'
