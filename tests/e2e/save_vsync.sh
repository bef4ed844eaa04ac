#!/usr/bin/env bash
# A user's run, end to end: in an empty folder the program starts (and writes VOZ.INI and its
# backup from the defaults); the user drags the window by its title bar, opens the video panel,
# switches "Video sync" on, opens the sound panel and clicks "Save & Quit". The window fades out
# and the program ends; VOZ.INI then holds the video panel's values and the backup is untouched.
#
#   save_vsync.sh <quorvane-config> <VOZ.default.INI> <xvfb-common.sh>
set -euo pipefail

program=$1
default_file=$2
# shellcheck source=../../scripts/xvfb-common.sh
. "$3"

for tool in Xvfb xdotool; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done

begin_run

cp "$program" "$work/quorvane-config"
start_xvfb
"$work/quorvane-config" &
pid=$!
win=$(find_window 15) || fail "no window appeared"
sleep 0.3

# Drag by the bare title bar (300 px in: right of the title text, left of the close image).
eval "$(xdotool getwindowgeometry --shell "$win")"
x0=$X y0=$Y
xdotool mousemove --window "$win" 300 10 mousedown 1
sleep 0.1
xdotool mousemove_relative --sync 20 15
sleep 0.1
xdotool mousemove_relative --sync 20 15
sleep 0.1
xdotool mouseup 1
sleep 0.3
eval "$(xdotool getwindowgeometry --shell "$win")"
[ "$X" -eq $((x0 + 40)) ] && [ "$Y" -eq $((y0 + 30)) ] ||
  fail "the title bar drag moved the window from $x0,$y0 to $X,$Y instead of by 40,30"

step() {
  "$@"
  sleep 0.3
}
step click_nav "$win" 720                          # picpantalla: the video panel
step click_twips "$win" 2640 2160 975 255          # ch_global(0), "Video sync", on pic_video
step click_nav "$win" 1320                         # imgsonido: the sound panel (collects video)
click_nav "$win" 5040                              # imgsave: "Save & Quit"

# The fade takes about 1.1 s: the window is still there half-way, and gone well before 10 s.
sleep 0.5
kill -0 "$pid" 2>/dev/null || fail "the program ended at once instead of fading out"
expect_clean_exit 10

cmp -s "$work/VOZ_backup.INI" "$default_file" || fail "VOZ_backup.INI is not the default file"

# The defaults leave windowed=, fullscreen= and filtering= empty; visiting the video panel
# collects its switches, and a switch that is not "y" is saved as "n".
expected="$work/expected.INI"
sed -e 's/^vsync=n\r$/vsync=y\r/' \
    -e 's/^windowed=\r$/windowed=n\r/' \
    -e 's/^fullscreen=\r$/fullscreen=n\r/' \
    -e 's/^filtering=\r$/filtering=n\r/' "$default_file" > "$expected"
if ! cmp -s "$work/VOZ.INI" "$expected"; then
  diff <(tr -d '\r' < "$expected") <(tr -d '\r' < "$work/VOZ.INI") >&2 || true
  fail "VOZ.INI differs from the expected file (diff: expected < > saved)"
fi
echo "PASS"
