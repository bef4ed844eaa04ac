#!/usr/bin/env bash
# Whether a panel switch reaches the screen in one frame: from the keyboard (so that no press or
# focus change of its own is drawn first), Enter on a navigation image shows its panel, and the
# window is read back on every drawing into it (X DAMAGE, bench/frame_watch.cpp) until it stays
# still. Reports, for three switches (to two panels made for the occasion and back to one made
# already), how many different pictures the window showed and how many of them were half drawn:
# neither the old page nor the new panel. Exits 1 when any was, 77 when a tool it needs is
# missing (the end-to-end test e2e_panel_switch_frames runs it so).
#
#   bench/panel-switch-frames.sh [quorvane-config or quorvane-config.exe]
#
# Default: build/windows-release/app/quorvane-config.exe, under Wine in build/wine-bench. Set
# FRAMES_OUT to a folder to keep the pictures of a switch that was drawn in stages.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=../scripts/xvfb-common.sh
. "$root/scripts/xvfb-common.sh"
begin_e2e "${1:-$root/build/windows-release/app/quorvane-config.exe}" "$root/tests/data/VOZ.default.INI"
if is_windows_build "$program"; then export WINEPREFIX=${WINEPREFIX:-$root/build/wine-bench}; fi
c++ -O2 -o "$work/frame-watch" "$root/bench/frame_watch.cpp" -lXdamage -lX11 ||
  { echo "SKIP: cannot build bench/frame_watch.cpp (needs libx11-dev and libxdamage-dev)"; exit 77; }

cp "$program" "$work/"
cp "$default_file" "$work/VOZ.INI"
cp "$default_file" "$work/VOZ_backup.INI"
start_display "$program"
start_editor "$work/$(basename "$program")"
sleep 1

# switch <keys to the image>: moves the keyboard to a navigation image, lets the window settle,
# then presses Enter while the window is watched.
switch() {
  xdotool key "$@"
  sleep 0.7
  mkdir -p "$work/frames"
  coproc watch { "$work/frame-watch" "$win" 600 5000 "$work/frames"; }
  local line
  read -r line <&"${watch[0]}"
  [ "$line" = ready ] || fail "the frame watcher did not start"
  xdotool key Return
  read -r line <&"${watch[0]}" || true
  local status=0
  # shellcheck disable=SC2154 # coproc sets watch_PID
  wait "$watch_PID" || status=$?
  echo "after $*: $line"
  [ "${line%% *}" -ge 1 ] 2>/dev/null || fail "Enter after $* changed nothing on screen ($line)"
  # FRAMES_OUT: a folder to keep the pictures of a failed switch in.
  [ "$status" -eq 0 ] || [ -z "${FRAMES_OUT:-}" ] || cp -r "$work/frames" "$FRAMES_OUT"
  rm -rf "$work/frames"
  [ "$status" -eq 0 ] || { halfway=1; echo "  drawn in stages"; }
}

halfway=0
# At start the keyboard is on the first navigation image (the emulation panel).
switch Tab                 # the video panel's image
switch Tab Tab             # the gamepad panel's image (two on: the sound panel's is between)
switch shift+Tab shift+Tab # back to the video panel, made already
kill -0 "$pid" 2>/dev/null || fail "the program ended"
exit "$halfway"
