#!/usr/bin/env bash
# The keys of a combo box's list, as a new user tries them, give the same file in both builds:
# the list starts from the value shown. On the keyboard panel, "Type of keyboard" shows QWERTY:
# Down gives the next one, QWERTZ. "ESC key mode" reads "GUI", which it cannot show, so it shows
# nothing: F4 opens its list, Page Down and Enter choose from the top of it, "Automatic". On the
# sound panel, "Frequency" shows 44100: F4, Down and Enter choose the next one, 48000.
#
#   combo_keys.sh <quorvane-config or quorvane-config.exe> <VOZ.default.INI> <xvfb-common.sh>
#
# The Windows build runs under Wine in the prefix $WINEPREFIX.
set -euo pipefail

# shellcheck source=../../scripts/xvfb-common.sh
. "$3"
begin_e2e "$1" "$2"

cp "$program" "$work/"
sed -e 's/^esc_key_mode=0\r$/esc_key_mode=GUI\r/' "$default_file" >"$work/VOZ.INI"
grep -q '^esc_key_mode=GUI' "$work/VOZ.INI" || fail "the default file has no esc_key_mode=0 line"
start_display "$program"
start_editor "$work/$(basename "$program")"
sleep 0.3

STEP_PAUSE=0.4
# Into the left part of a combo's field, clear of its arrow.
click_field() { click_twips "$win" "$1" "$2" 600 315; }

step click_nav "$win" 2520          # imgteclado: the keyboard panel
step click_field 240 720            # com_key_type, "Type of keyboard"
step xdotool key Down
step click_field 240 3240           # com_key_mode, "ESC key mode"
step xdotool key F4
step xdotool key Next
step xdotool key Return
step click_nav "$win" 1320          # imgsonido: the sound panel (collects the keyboard panel)
step click_field 240 1200           # com_sound_fre, "Frequency"
step xdotool key F4
step xdotool key Down
step xdotool key Return
click_nav "$win" 5040               # imgsave: "Save & Quit"
expect_clean_exit 10

expected="$work/expected.INI"
sed -e 's/^type=1\r$/type=2\r/' \
    -e 's/^frequency=44100\r$/frequency=48000\r/' "$default_file" >"$expected"
if ! cmp -s "$work/VOZ.INI" "$expected"; then
  diff <(tr -d '\r' < "$expected") <(tr -d '\r' < "$work/VOZ.INI") >&2 || true
  fail "VOZ.INI differs from the expected file (diff: expected < > saved)"
fi
echo "PASS"
