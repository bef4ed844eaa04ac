#!/usr/bin/env bash
# Closing without saving: the program starts on a VOZ.INI of the user's, the user switches
# "Video sync" on and the gamepad off, moves to another panel (which collects the video panel)
# and clicks the close image. The window fades out, the program ends, and VOZ.INI is exactly
# as it was: the close image writes nothing.
#
#   close_without_saving.sh <quorvane-config or quorvane-config.exe> <VOZ.default.INI> <xvfb-common.sh>
#
# The Windows build runs under Wine in the prefix $WINEPREFIX.
set -euo pipefail

# shellcheck source=../../scripts/xvfb-common.sh
. "$3"
begin_e2e "$1" "$2"

cp "$program" "$work/"
# The user's file, not quite the default one, with its backup made already.
sed -e 's/^frequency=44100\r$/frequency=22050\r/' "$default_file" >"$work/VOZ.INI"
cp "$work/VOZ.INI" "$work/VOZ_backup.INI"
cp "$work/VOZ.INI" "$work/before.INI"
start_display "$program"
start_editor "$work/$(basename "$program")"
sleep 0.3

step click_nav "$win" 720                 # picpantalla: the video panel
step click_twips "$win" 2640 2160 975 255 # ch_global(0), "Video sync": on
step click_nav "$win" 1920                # imgcontrol: the gamepad panel (collects video)
step click_twips "$win" 240 720 975 255   # ch_global(9), gamepad: off
click_twips "$win" 5910 10 240 240 15 15  # imgcerrar, in the title bar

expect_clean_exit 10
cmp -s "$work/VOZ.INI" "$work/before.INI" || fail "closing without saving changed VOZ.INI"
cmp -s "$work/VOZ_backup.INI" "$work/before.INI" || fail "closing without saving changed the backup"
echo "PASS"
