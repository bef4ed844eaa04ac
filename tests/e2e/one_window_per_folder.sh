#!/usr/bin/env bash
# One window per folder: a second start of the same build on a folder whose editor is open
# brings that editor to the front and ends, rather than opening a second window exactly over
# the first; a start on another folder opens its own window as usual; and once the editor has
# closed, a start on its folder opens one again.
#
#   one_window_per_folder.sh <quorvane-config or quorvane-config.exe> <VOZ.default.INI> <xvfb-common.sh>
#
# The Windows build runs under Wine in the prefix $WINEPREFIX.
set -euo pipefail

# shellcheck source=../../scripts/xvfb-common.sh
. "$3"
begin_e2e "$1" "$2"

name=$(basename "$program")
for folder in a b; do
  mkdir "$work/$folder"
  cp "$program" "$default_file" "$work/$folder/"
  mv "$work/$folder/$(basename "$default_file")" "$work/$folder/VOZ.INI"
done
others=()
trap 'for p in "${others[@]}"; do kill "$p" 2>/dev/null || true; done; end_run' EXIT

windows() { xdotool search --onlyvisible --name '^Quorvane Configuration$' 2>/dev/null | sort; }
# The window at the middle of the screen, where every editor's window is centred: the one on top.
on_top() {
  local width height
  read -r width height < <(xdotool getdisplaygeometry)
  xdotool mousemove "$((width / 2))" "$((height / 2))"
  sleep 0.2
  eval "$(xdotool getmouselocation --shell)"
  echo "$WINDOW"
}
wait_for_windows() {
  local want=$1
  for _ in $(seq 200); do
    [ "$(windows | wc -l)" -eq "$want" ] && return 0
    sleep 0.1
  done
  fail "expected $want editor windows, found $(windows | wc -l)"
}

start_display "$program"
start_editor "$work/a/$name"
win_a=$win
others+=("$pid")

# Another folder: a window of its own, over the first.
launch "$work/b/$name"
others+=("$pid")
wait_for_windows 2
win_b=$(windows | grep -vx "$win_a")
sleep 0.5
[ "$(on_top)" = "$win_b" ] || fail "the editor on the second folder did not open on top"

# The first folder again: no new window, the first editor comes to the front, the start ends.
launch "$work/a/$name"
for _ in $(seq 200); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
kill -0 "$pid" 2>/dev/null &&
  fail "a second start on the first folder was still running after 20 s (a window of its own?)"
status=0
wait "$pid" || status=$?
pid=
[ "$status" -eq 0 ] || fail "a second start on the first folder ended with status $status"
sleep 0.5
[ "$(windows | wc -l)" -eq 2 ] || fail "a second start on one folder opened another window"
top=""
for _ in $(seq 20); do
  top=$(on_top)
  [ "$top" = "$win_a" ] && break
done
[ "$top" = "$win_a" ] || fail "the open editor was not brought to the front (on top: $top)"

# Closed, the first editor leaves nothing behind that would stop the next start on its folder.
pid=${others[0]}
click_twips "$win_a" 5910 10 240 240 15 15 # imgcerrar, in the title bar
expect_clean_exit 10
wait_for_windows 1
start_editor "$work/a/$name"
others+=("$pid")
wait_for_windows 2
echo "PASS"
