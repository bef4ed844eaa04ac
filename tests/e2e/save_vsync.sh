#!/usr/bin/env bash
# A user's run, end to end: in an empty folder the program starts (and writes VOZ.INI and its
# backup from the defaults); the user drags the window by its title bar, opens the video panel,
# switches "Video sync" on, opens the sound panel and clicks "Save & Quit". The window fades out
# over ten steps of 100 ms and the program ends; VOZ.INI then holds the video panel's values and
# the backup is untouched.
#
#   save_vsync.sh <quorvane-config or quorvane-config.exe> <VOZ.default.INI> <xvfb-common.sh>
#
# The Windows build runs under Wine in the prefix $WINEPREFIX.
set -euo pipefail

# shellcheck source=../../scripts/xvfb-common.sh
. "$3"
begin_e2e "$1" "$2"

cp "$program" "$work/"
start_display "$program"
start_editor "$work/$(basename "$program")"
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
clicked=$(date +%s%N)

# The fade: the window's opacity goes down step by step, and the program ends about 1.1 s after
# the click (ten ticks of 100 ms, then the one that closes). Opacities are sampled until then.
opacities=()
while kill -0 "$pid" 2>/dev/null && [ $(($(date +%s%N) - clicked)) -lt 10000000000 ]; do
  opacity=$(window_opacity "$win")
  if [ -n "$opacity" ] && { [ "${#opacities[@]}" -eq 0 ] || [ "${opacities[-1]}" != "$opacity" ]; }; then
    opacities+=("$opacity")
  fi
  sleep 0.05
done
ended_ms=$((($(date +%s%N) - clicked) / 1000000))
expect_clean_exit 10
[ "$ended_ms" -ge 900 ] || fail "the program ended ${ended_ms} ms after Save & Quit, before the fade"
[ "$ended_ms" -le 6000 ] || fail "the fade took ${ended_ms} ms instead of about 1100"
steps=0
for ((i = 1; i < ${#opacities[@]}; i++)); do
  [ "${opacities[i]}" -lt "${opacities[i - 1]}" ] ||
    fail "the opacity went up during the fade: ${opacities[*]}"
  steps=$((steps + 1))
done
# Wine gives every layered window its opacity; Qt on a bare X server without a compositing
# manager sets none, and there the timing alone shows the fade.
if is_windows_build "$program" || [ "$steps" -gt 0 ]; then
  # Sampling with xprop catches most of the ten steps, not all.
  [ "$steps" -ge 3 ] || fail "the fade showed only $steps steps of opacity: ${opacities[*]}"
fi
echo "fade: ${ended_ms} ms, $steps steps seen"

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
