#!/usr/bin/env bash
# Screenshots of the intro page and of every panel and sub-page, taken under a private Xvfb
# server, for the README and for looking the layout over.
#
#   scripts/screenshots.sh [path/to/quorvane-config] [output folder]
#
# Defaults: build/ci/app/quorvane-config and docs/screenshots. One more, high-contrast-linux.png,
# shows the window under a desktop's high-contrast palette: no desktop here gives Qt one, so the
# Qt view's test that hands it one (build/ci/tests/qt/qt_test) draws it, when that test is built. Needs Xvfb, xdotool and
# ImageMagick's import. The program runs in a temporary folder, so it shows the default settings
# and leaves nothing behind.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
program=${1:-$root/build/ci/app/quorvane-config}
out=${2:-$root/docs/screenshots}
# shellcheck source=xvfb-common.sh
. "$root/scripts/xvfb-common.sh"

begin_run

# As it is usually installed on Linux: in the emulator's folder inside a Wine prefix, whose
# drive letters then fill the drive lists.
prefix="$work/.wine"
app="$prefix/drive_c/Games/Quorvane"
mkdir -p "$app" "$prefix/dosdevices"
ln -s ../drive_c "$prefix/dosdevices/c:"
ln -s /media/cdrom "$prefix/dosdevices/d:"
ln -s / "$prefix/dosdevices/z:"
cp "$program" "$app/quorvane-config"
mkdir -p "$out"
start_xvfb

shot() {
  # Away from the window, so that no tooltip or hover highlight gets into the picture.
  xdotool mousemove 1010 760
  sleep 0.4
  import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$out/$1.png"
  echo "$out/$1.png"
}

start() {
  HOME=$work "$app/quorvane-config" &
  pid=$!
  win=$(find_window 15)
  eval "$(xdotool getwindowgeometry --shell "$win")"
}

# The close image (5910, 10 in the title bar) ends the run without saving.
close() {
  click_twips "$win" 5910 10 240 240 15 15
  for _ in $(seq 100); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 "$pid" 2>/dev/null; then
    echo "the program did not end after the close image" >&2
    exit 1
  fi
  wait "$pid" || true
  pid=
}

# System card 1 (480, 960 on the paths page) set to a card that is not there, and the pointer
# over the warning sign beside its browse button (2880, 982, 240 x 240), so that its tooltip
# says where the card was looked for. The picture takes in room beside the window for it.
not_found_shot() {
  local dpi=${WINDOW_DPI:-96}
  click_nav "$win" 120
  click_twips "$win" 5280 3600 780 195
  click_twips "$win" 480 960 2055 285
  xdotool type 'C:\Games\bios.pce'
  xdotool mousemove --window "$win" $(((PAGE_LEFT + 3000) * dpi / 1440)) \
    $(((PAGE_TOP + 1102) * dpi / 1440))
  sleep 1.5
  # The tooltip stands right of the pointer, or left of it where the screen ends.
  local left=$((X > 200 * dpi / 96 ? X - 200 * dpi / 96 : 0))
  local right=$((X + WIDTH + 300 * dpi / 96))
  import -window root -crop "$((right - left))x${HEIGHT}+${left}+${Y}" +repage "$out/$1.png"
  echo "$out/$1.png"
}

# What a save would change: the sound and stereo switches turned off show their marks, and Save &
# Quit's tooltip (the pointer over it, 5040 in the row of images) lists them.
changes() {
  local suffix=$1
  click_nav "$win" 1320
  click_twips "$win" 240 600 975 255
  click_twips "$win" 240 2520 975 255
  shot "changes-marks$suffix"
  local dpi=${WINDOW_DPI:-96}
  xdotool mousemove --window "$win" $(((BODY_LEFT + 5280) * dpi / 1440)) \
    $(((BODY_TOP + 280) * dpi / 1440))
  sleep 1.5
  # The tooltip reaches past the window's right edge and below it.
  local width=$((WIDTH + 200 * dpi / 96)) height=$((HEIGHT + 40 * dpi / 96))
  import -window root -crop "${width}x${height}+${X}+${Y}" +repage "$out/save-tooltip$suffix.png"
  echo "$out/save-tooltip$suffix.png"
}

start
# Page-flip labels stand at 5280, 3600 on their pages.
shot 01-intro
click_nav "$win" 120
shot 02-emulation
click_twips "$win" 5280 3600 780 195
shot 03-emulation-paths
click_nav "$win" 720
shot 04-video
click_twips "$win" 5280 3600 810 195
shot 05-video-tv-mode
click_nav "$win" 1320
shot 06-sound
click_nav "$win" 1920
shot 07-gamepad
click_nav "$win" 2520
shot 08-keyboard
click_nav "$win" 3120
shot 09-cdrom
changes ""
not_found_shot 10-not-found
close

# The marks, the tooltip and the sign again at 200 %.
export QT_SCALE_FACTOR=2 WINDOW_DPI=192
start
changes -200
not_found_shot 200-not-found
close

# A desktop's high-contrast palette, white on black, as the view test gives it.
qt_test=$(dirname "$program")/../tests/qt/qt_test
if [ -x "$qt_test" ]; then
  env -u QT_SCALE_FACTOR -u WINDOW_DPI QT_QPA_PLATFORM=offscreen \
    QUORVANE_HIGH_CONTRAST_SHOT="$out/high-contrast-linux.png" \
    "$qt_test" --gtest_filter='HighContrastTest.*' >/dev/null
  echo "$out/high-contrast-linux.png"
else
  echo "no $qt_test: high-contrast-linux.png is left as it is" >&2
fi
