#!/usr/bin/env bash
# Dragging the window: a press on the bare title bar and a move in steps of 10 pixels moves the
# window with the pointer; a press on the title text moves nothing, even when the pointer then
# leaves the text over the bare bar with the button held, and even right after a drag on the bar.
#
#   title_drag.sh <quorvane-config or quorvane-config.exe> <VOZ.default.INI> <xvfb-common.sh>
#
# The Windows build runs under Wine in the prefix $WINEPREFIX.
set -euo pipefail

# shellcheck source=../../scripts/xvfb-common.sh
. "$3"
begin_e2e "$1" "$2"

cp "$program" "$work/"
cp "$default_file" "$work/VOZ.INI"
cp "$default_file" "$work/VOZ_backup.INI"
start_display "$program"
start_editor "$work/$(basename "$program")"
sleep 0.5

# where: the window's top left corner on the screen, "x y".
where() {
  xdotool getwindowgeometry "$win" | sed -n 's/.*Position: \([0-9-]*\),\([0-9-]*\).*/\1 \2/p'
}

# drag <x> <y> <dx> <dy>: a left press at x, y within the window, five moves of dx, dy, a release.
drag() {
  local x y
  read -r x y < <(where)
  xdotool mousemove $((x + $1)) $((y + $2))
  sleep 0.2
  xdotool mousedown 1
  sleep 0.2
  for _ in 1 2 3 4 5; do
    xdotool mousemove_relative -- "$3" "$4"
    sleep 0.1
  done
  xdotool mouseup 1
  sleep 0.5
}

# Title bar, 413 x 20 pixels at 96 dpi: its text starts 8 pixels in, 2 down; the close image
# is at its right end.
for round in 1 2 3; do
  before=$(where)
  drag 300 10 10 10                            # the bare bar, clear of text and close image
  read -r x0 y0 <<<"$before"
  read -r x1 y1 < <(where)
  if [ $((x1 - x0)) -lt 40 ] || [ $((y1 - y0)) -lt 40 ]; then
    fail "round $round: a drag on the bare title bar moved the window from $before to $x1 $y1"
  fi

  before=$(where)
  drag 30 8 10 10                              # on the title text, then off it over the bar
  after=$(where)
  [ "$after" = "$before" ] ||
    fail "round $round: a drag starting on the title text moved the window from $before to $after"
done
kill -0 "$pid" 2>/dev/null || fail "the program ended"
echo "PASS"
