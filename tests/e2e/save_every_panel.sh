#!/usr/bin/env bash
# A user's run through every panel: the program sits in the emulator's folder inside a Wine
# prefix (so the drive lists offer c: and d:; the Windows build runs in that prefix, the Linux
# build reads its drive letters), starts in that otherwise empty folder, and the user changes
# something on each of the six panels with the mouse and the keyboard:
#
#   emulation  soft reset off; "Next >>>", a system card path typed in
#   video      "Windowed"; "More >>>", scanlines 0% picked from the combo's list
#   sound      a frequency typed over the editable combo's text
#   gamepad    the gamepad switched off
#   keyboard   the numeric keypad unlocked; AZERTY picked from the type list
#   CD-ROM     a timeout typed over the old one; drive d: picked from the letter list
#
# then clicks "Save & Quit". VOZ.INI must be the default file with exactly those lines changed,
# plus the video panel's empty switches saved as "n".
#
#   save_every_panel.sh <quorvane-config or quorvane-config.exe> <VOZ.default.INI> <xvfb-common.sh>
#
# The Windows build runs under Wine in the prefix $WINEPREFIX.
set -euo pipefail

# shellcheck source=../../scripts/xvfb-common.sh
. "$3"
begin_e2e "$1" "$2"
mkdir -p "$work/cdrom"
start_display "$program"

if is_windows_build "$program"; then
  # The prefix the program runs in, with a CD-ROM drive d: beside c: (and Wine's z:).
  folder="$WINEPREFIX/drive_c/quorvane-e2e-$$"
  rm -rf "$folder"
  mkdir -p "$folder"
  ln -sfn "$work/cdrom" "$WINEPREFIX/dosdevices/d:"
  trap 'rm -rf "$folder" "$WINEPREFIX/dosdevices/d:"; end_run' EXIT
  # Drive letters are taken in when the prefix boots.
  wine_start "$WINEPREFIX"
  cp "$program" "$folder/"
  start_editor "$folder/$(basename "$program")"
else
  # A prefix as Wine lays it out: drive_c, and dosdevices/ with one link per drive letter.
  prefix="$work/prefix"
  folder="$prefix/drive_c/Quorvane"
  mkdir -p "$folder" "$prefix/dosdevices"
  ln -s ../drive_c "$prefix/dosdevices/c:"
  ln -s "$work/cdrom" "$prefix/dosdevices/d:"
  cp "$program" "$folder/quorvane-config"
  # The prefix around the program's folder must win over anything in the environment.
  start_editor env -u WINEPREFIX "$folder/quorvane-config"
fi
sleep 0.3

alive() {
  kill -0 "$pid" 2>/dev/null || fail "the program ended early, before: $*"
}
step() {
  alive "$*"
  "$@"
  sleep 0.25
}
# Keys go to whatever holds the keyboard: the focused field, or an open drop-down list.
keys() {
  xdotool key --clearmodifiers "$@"
}
type_text() {
  xdotool type --clearmodifiers --delay 20 "$1"
}
# click_field <left> <top> <width> <height> <text>: clicks into a text box (or the edit field of
# an editable combo, left of its arrow), selects everything and types over it.
click_field() {
  local left=$1 top=$2 height=$4 text=$5
  click_twips "$win" "$left" "$top" 450 "$height"
  sleep 0.15
  keys ctrl+a
  type_text "$text"
}
# open_list <left> <top> <width> <height>: clicks a combo box's arrow, at its right end, which
# drops its list down.
open_list() {
  local left=$1 top=$2 width=$3 height=$4
  click_twips "$win" $((left + width - 240)) "$top" 180 "$height"
}

# The emulation panel and its path page.
step click_nav "$win" 120                                 # imgpanel
step click_twips "$win" 240 960 975 255                   # ch_global(10), soft reset: off
step click_twips "$win" 5280 3600 780 195                 # "Next >>>"
step click_field 480 960 2055 285 'C:\Cards\syscard3.pce' # txt_panel_b_card1

# The video panel and its TV page; leaving the emulation panel collects both of its pages.
step click_nav "$win" 720                                 # picpantalla
step click_twips "$win" 240 600 1095 255                  # op_video_winmodo(0), "Windowed"
step click_twips "$win" 5280 3600 810 195                 # "More >>>"
# Page Down and Page Up go to the end and the start of a list this short, in either toolkit.
step open_list 240 2640 975 315                           # com_video_tvscal
step keys Next Return                                     # the last item, "0%"

step click_nav "$win" 1320                                # imgsonido
step click_field 240 1200 1095 315 32000                  # com_sound_fre

step click_nav "$win" 1920                                # imgcontrol
step click_twips "$win" 240 720 975 255                   # ch_global(9), gamepad: off

step click_nav "$win" 2520                                # imgteclado
step click_twips "$win" 240 1440 975 255                  # ch_glolock(0): unlocked
step open_list 240 720 1335 315                           # com_key_type
step keys Prior Return                                    # the first item, "AZERTY"

step click_nav "$win" 3120                                # imgcd
step click_field 360 2520 1575 285 30                     # txt_cdrom_time
step click_twips "$win" 360 1440 1575 315                 # dr_cdrom_letter drops down at c:
step keys Down Return                                     # d:
alive "Save & Quit"
click_nav "$win" 5040                                     # imgsave

expect_clean_exit 10

cmp -s "$folder/VOZ_backup.INI" "$default_file" || fail "VOZ_backup.INI is not the default file"

# The expected file: the default one with these lines changed, each found exactly once in its
# section ("interpolation=" stands in both [sound] and [tv_mode]). Fields: section, old line, new
# line, separated by tabs; values are taken literally.
edits="$work/edits"
cat > "$edits" <<'EOF'
[emulation]	soft_reset=y	soft_reset=n
[sound]	frequency=44100	frequency=32000
[video]	windowed=	windowed=y
[video]	fullscreen=	fullscreen=n
[video]	filtering=	filtering=n
[tv_mode]	scanlines=3	scanlines=4
[gamepad]	gamepad=y	gamepad=n
[keyboard]	type=1	type=0
[keyboard]	numpad=n	numpad=y
[cdrom]	drive_letter=	drive_letter=D
[cdrom]	timeout=0	timeout=30
[path]	system_card_1=	system_card_1=C:\Cards\syscard3.pce
EOF
expected="$work/expected.INI"
LC_ALL=C awk -F '\t' '
  FNR == NR { where[$1 "\t" $2] = $3; hits[$1 "\t" $2] = 0; next }
  {
    line = $0
    sub(/\r$/, "", line)
    if (line ~ /^\[/) section = line
    key = section "\t" line
    if (key in where) { hits[key]++; line = where[key] }
    printf "%s\r\n", line
  }
  END {
    for (key in hits) {
      if (hits[key] != 1) {
        printf "the default file has %d lines \"%s\"\n", hits[key], key > "/dev/stderr"
        bad = 1
      }
    }
    exit bad
  }' "$edits" "$default_file" > "$expected" || fail "the default file does not look as expected"

if ! cmp -s "$folder/VOZ.INI" "$expected"; then
  diff <(tr -d '\r' < "$expected") <(tr -d '\r' < "$folder/VOZ.INI") >&2 || true
  fail "VOZ.INI differs from the expected file (diff: expected < > saved)"
fi
echo "PASS"
