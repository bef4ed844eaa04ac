#!/usr/bin/env bash
# Screenshots of the native Windows build under Wine: the intro page and every panel and
# sub-page at 100 %, 150 % and 200 %, for the README beside those of the Linux build, and to look
# the scaled artwork and fonts over. More show what the pages add to the file's own layout: the
# sound page with a delay outside the range its comment gives (the warning sign beside it), the
# keyboard's focus rectangle on a navigation image, and (also at 200 %) the marks beside changed
# settings, Save & Quit's list of what a save would change, and the sign beside a system card
# that is not there.
#
#   scripts/screenshots-windows.sh [path/to/quorvane-config.exe] [output folder]
#
# With the view's tests built beside the .exe (tests/win32/win32_test.exe), one more,
# win-high-contrast.png, shows the window under a high-contrast theme. Wine has no high-contrast
# setting to switch on (it always reports the theme off), so the test gives the view the theme,
# white on black, and this picture is of that test's window.
#
# Defaults: build/windows/quorvane-config.exe and docs/screenshots (files win-*.png). Needs
# Xvfb, xdotool, Wine and ImageMagick's import. The program runs in a fresh folder, so it
# shows the default settings; the Wine prefix is kept in build/wine-screenshots, with the
# program's folder in its drive C:.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
program=${1:-$root/build/windows/quorvane-config.exe}
out=${2:-$root/docs/screenshots}
[ -f "$program" ] || { echo "missing $program: run scripts/build-windows.sh first" >&2; exit 2; }
# shellcheck source=xvfb-common.sh
. "$root/scripts/xvfb-common.sh"

begin_run
mkdir -p "$out"
prefix=$root/build/wine-screenshots

# capture <name> <width> <height>: that much of the screen from the window's top left corner.
# Under Wine a page at 200 % may still be painting: it is taken again until two pictures in a row
# agree, so that the release check can compare them pixel for pixel.
capture() {
  local file=$out/$1.png previous=$work/previous.png
  rm -f "$previous"
  for _ in $(seq 20); do
    import -window root -crop "${2}x${3}+${X}+${Y}" +repage "$file"
    [ -f "$previous" ] && [ "$(compare -metric AE "$file" "$previous" null: 2>&1)" = 0 ] && break
    cp "$file" "$previous"
    sleep 0.3
  done
  echo "$file"
}

shot() {
  # Away from the window, so that no tooltip or hover highlight gets into the picture.
  xdotool mousemove 1010 760
  sleep 0.5
  capture "$1" "$WIDTH" "$HEIGHT"
}

# tip_shot <name> <dpi>: the window with the tooltip the pointer brought up, which reaches past
# the window's right edge and below it.
tip_shot() {
  sleep 1.5
  capture "$1" $((WIDTH + 200 * $2 / 96)) $((HEIGHT + 40 * $2 / 96))
}

# run_at <dpi> <prefix of the file names> <pages...>
run_at() {
  local dpi=$1 name=$2
  shift 2
  wine_start "$prefix" "$dpi"
  export WINDOW_DPI=$dpi
  # As it is installed: in the emulator's folder on drive C:, which the drive lists then show.
  app=$prefix/drive_c/Games/Quorvane
  rm -rf "$app"
  mkdir -p "$app"
  cp "$program" "$app/quorvane-config.exe"
  start_editor "$app/quorvane-config.exe"
  sleep 0.5
  eval "$(xdotool getwindowgeometry --shell "$win")"
  local n=0
  for page in "$@"; do
    n=$((n + 1))
    case $page in
      intro) ;;
      emulation) click_nav "$win" 120 ;;
      emulation-paths) click_twips "$win" 5280 3600 780 195 ;;
      video) click_nav "$win" 720 ;;
      video-tv-mode) click_twips "$win" 5280 3600 810 195 ;;
      sound) click_nav "$win" 1320 ;;
      gamepad) click_nav "$win" 1920 ;;
      keyboard) click_nav "$win" 2520 ;;
      cdrom) click_nav "$win" 3120 ;;
      sound-out-of-range)
        click_nav "$win" 1320
        # The delay box (2160, 1200 on the page): its text replaced by 99.
        click_twips "$win" 2160 1200 1095 285
        xdotool key End shift+Home
        xdotool type 99
        ;;
      not-found)
        # System card 1 (480, 960 on the paths page) set to a card that is not there: the
        # warning sign beside its browse button.
        click_nav "$win" 120
        click_twips "$win" 5280 3600 780 195
        click_twips "$win" 480 960 2055 285
        xdotool type 'C:\Games\bios.pce'
        # On to the box's button: a blinking caret would make no two pictures alike.
        xdotool key Tab
        ;;
      keyboard-focus)
        # From the intro page, Tab twice: the focus rectangle on the third navigation image.
        click_nav "$win" 120
        xdotool key Tab Tab
        ;;
      changes-marks)
        # Sound and stereo switched off: their marks show beside them.
        click_nav "$win" 1320
        click_twips "$win" 240 600 975 255
        click_twips "$win" 240 2520 975 255
        ;;
      save-tooltip)
        # The pointer over Save & Quit (5040 in the row of images): its tooltip lists the changes,
        # reaching past the window's right edge and below it.
        xdotool mousemove --window "$win" $(((BODY_LEFT + 5280) * dpi / 1440)) \
          $(((BODY_TOP + 280) * dpi / 1440))
        if [ "$dpi" -eq 96 ]; then tip_shot "$name-$(printf %02d "$n")-$page" "$dpi"
        else tip_shot "$name-$page" "$dpi"; fi
        continue
        ;;
    esac
    if [ "$dpi" -eq 96 ]; then shot "$name-$(printf %02d "$n")-$page"; else shot "$name-$page"; fi
  done
  # The close image (5910, 10 in the title bar) ends the run without saving.
  click_twips "$win" 5910 10 240 240 15 15
  expect_clean_exit 10
  wine_stop
}

pages=(intro emulation emulation-paths video video-tv-mode sound gamepad keyboard cdrom)
run_at 96 win "${pages[@]}" sound-out-of-range keyboard-focus changes-marks save-tooltip not-found
run_at 144 win-150 "${pages[@]}"
run_at 192 win-200 "${pages[@]}" changes-marks save-tooltip not-found

# The high-contrast theme, given to the view by its test.
view_test=$(dirname "$program")/tests/win32/win32_test.exe
if [ -f "$view_test" ]; then
  wine_start "$prefix" 96
  # Wine hands the environment on; its drive Z: is the Linux root.
  QUORVANE_HIGH_CONTRAST_SHOT="Z:$work/high-contrast.bmp" "$QUORVANE_WINE_PREFIX_SCRIPT" run \
    "$view_test" --gtest_filter='*HighContrastTheme*' </dev/null >/dev/null
  convert "$work/high-contrast.bmp" "$out/win-high-contrast.png"
  echo "$out/win-high-contrast.png"
  wine_stop
else
  echo "no $view_test: win-high-contrast.png is left as it is" >&2
fi
