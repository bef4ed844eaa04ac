#!/usr/bin/env bash
# A screen reader in another process, under Wine: it finds the navigation images as push buttons
# named by their tooltips, presses one, and then reads the sound page's controls by the labels
# over them, the check boxes with their state, and nothing of the intro page it hid; on the
# paths page, the sign of a system card that is not there. Two settings of the sound page are
# then changed: their marks are read, and Save & Quit's description, which after the save must
# be what VOZ.INI holds.
#
#   screen_reader.sh <quorvane-config.exe> <VOZ.default.INI> <xvfb-common.sh> <win32_screen_reader.exe>
#
# Runs under Wine in the prefix $WINEPREFIX.
set -euo pipefail

# shellcheck source=../../scripts/xvfb-common.sh
. "$3"
reader=$4
begin_e2e "$1" "$2"

cp "$program" "$work/"
# A system card that is not there: its sign is read on the paths page.
sed -e 's/^system_card_1=\r$/system_card_1=nowhere.pce\r/' "$default_file" >"$work/VOZ.INI"
start_display "$program"
start_editor "$work/$(basename "$program")"
sleep 0.3

read_window() {
  "$QUORVANE_WINE_PREFIX_SCRIPT" run "$reader" "$@" </dev/null | tr -d '\r'
}
expect_line() {
  grep -qxF "$1" <<<"$2" || { echo "$2" >&2; fail "no line \"$1\" (tabs as \\t)"; }
}

tab=$'\t'
seen=$(read_window)
expect_line "push button${tab}Control Panel${tab}focused" "$seen"
expect_line "push button${tab}Sound Settings" "$seen"
expect_line "push button${tab}Close without saving" "$seen"
expect_line "link${tab}https://quorvane.example/" "$seen"

read_window press "Sound Settings" >/dev/null || fail "the reader could not press Sound Settings"
sleep 0.5
seen=$(read_window)
expect_line "check box${tab}Sound${tab}checked" "$seen"
expect_line "text${tab}Delay (2 - 30)" "$seen"
expect_line "text${tab}Master Volume (0 - 100)" "$seen"
if grep -qF "https://quorvane.example/" <<<"$seen"; then
  fail "the hidden intro page is still offered"
fi
grep -qF "Enable" <<<"$seen" && fail "a check box is named by its own caption, not its label"

grep -qF "Not found" <<<"$seen" && fail "a sign of a hidden page is offered"

# The paths page: the sign beside System card 1 is read as a graphic named by where the card was
# looked for (its first line; the reason follows on the next).
read_window press "Control Panel" >/dev/null || fail "the reader could not press Control Panel"
sleep 0.5
read_window press "Next >>>" >/dev/null || fail "the reader could not press Next >>>"
sleep 0.5
seen=$(read_window)
grep -qE "^graphic${tab}"'Not found: [A-Za-z]:\\.*\\nowhere\.pce$' <<<"$seen" ||
  { echo "$seen" >&2; fail "no graphic named \"Not found: ...\\nowhere.pce\""; }
[ "$(grep -c "Not found: " <<<"$seen")" -eq 1 ] || fail "more than the one path is signed"

read_window press "Sound Settings" >/dev/null || fail "the reader could not press Sound Settings"
sleep 0.5
describe() {
  read_window describe "$1" "$2" || fail "the reader could not describe the $1 $2"
}
[ "$(describe "push button" "Save & Quit")" = "Saving leaves VOZ.INI as it is." ] ||
  fail "before any change, Save & Quit is described as: $(describe "push button" "Save & Quit")"
click_twips "$win" 240 600 975 255   # ch_global(14), Sound: off
sleep 0.3
click_twips "$win" 240 2520 975 255  # ch_global(16), Stereo: off
sleep 0.3
seen=$(read_window)
expect_line "graphic${tab}Changed: VOZ.INI held y (Enable)." "$seen"
[ "$(grep -cxF "graphic${tab}Changed: VOZ.INI held y (Enable)." <<<"$seen")" -eq 2 ] ||
  { echo "$seen" >&2; fail "not two marks beside the two changed settings"; }
description=$(describe "check box" "Sound")
[[ "$description" == "Changed: VOZ.INI held y (Enable)."* ]] ||
  fail "the Sound box is described as: $description"
listed=$(describe "push button" "Save & Quit")
expected="Saving changes VOZ.INI:
[sound] sound: y → n
[sound] stereo: y → n"
[ "$listed" = "$expected" ] || fail "Save & Quit is described as: $listed"

read_window press "Save & Quit" >/dev/null || fail "the reader could not press Save & Quit"
expect_clean_exit 10
# Every line of the list is what the file now holds.
while IFS= read -r line; do
  [[ "$line" =~ ^\[([^]]+)\]\ ([^:]+):\ .*\ →\ (.*)$ ]] || continue
  key=${BASH_REMATCH[2]} new=${BASH_REMATCH[3]}
  [ "$new" = "(empty)" ] && new=
  grep -qxF "$key=$new"$'\r' "$work/VOZ.INI" || fail "the list says \"$line\"; VOZ.INI does not"
done <<<"$listed"
echo "PASS"
