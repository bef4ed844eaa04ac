#!/usr/bin/env bash
# A save that fails keeps the window and the edits: the user switches "Video sync" on while
# VOZ.INI cannot be replaced, and clicks "Save & Quit". A message box says why; the window stays
# and VOZ.INI is unchanged. The user dismisses the message, makes the file writable again and
# clicks "Save & Quit" once more: now the program saves the edit and ends.
#
#   failed_save.sh <quorvane-config or quorvane-config.exe> <VOZ.default.INI> <xvfb-common.sh>
#
# A read-only VOZ.INI is refused. On Linux permissions do not stop root, so the Linux build's run
# is skipped there (the core's tests cover its failed saves); the Windows build honours the
# read-only attribute under Wine whoever runs it.
# The Windows build runs under Wine in the prefix $WINEPREFIX.
set -euo pipefail

# shellcheck source=../../scripts/xvfb-common.sh
. "$3"
begin_e2e "$1" "$2"
if ! is_windows_build "$program" && [ "$(id -u)" -eq 0 ]; then
  echo "SKIP: root may write a read-only file on Linux, so this save would not fail"
  exit 77
fi

cp "$program" "$work/"
cp "$default_file" "$work/VOZ.INI"
cp "$default_file" "$work/VOZ_backup.INI"
start_display "$program"
start_editor "$work/$(basename "$program")"
sleep 0.3

block_save() {
  chmod a-w "$work/VOZ.INI"
}
allow_save() {
  chmod u+w "$work/VOZ.INI"
}
# The windows with the editor's title: the editor's own, and its message box when one is up.
titled_windows() {
  xdotool search --onlyvisible --name '^Quorvane Configuration$' 2>/dev/null | wc -l
}

click_nav "$win" 720                  # picpantalla: the video panel
sleep 0.3
click_twips "$win" 2640 2160 975 255  # ch_global(0), "Video sync": on
sleep 0.3
block_save
click_nav "$win" 5040                 # imgsave: "Save & Quit"

for _ in $(seq 100); do
  [ "$(titled_windows)" -ge 2 ] && break
  kill -0 "$pid" 2>/dev/null || fail "the program ended after a failed save"
  sleep 0.1
done
[ "$(titled_windows)" -ge 2 ] || fail "no message box appeared after the failed save"
sleep 1.5  # longer than a fade: a fade that went on would close the window now
kill -0 "$pid" 2>/dev/null || fail "the program ended behind the message box"
[ "$(window_opacity "$win")" -eq 4294967295 ] || fail "the window is fading behind the message box"
allow_save
cmp -s "$work/VOZ.INI" "$default_file" || fail "the failed save changed VOZ.INI"

xdotool key --clearmodifiers Return   # the message box's OK
for _ in $(seq 50); do
  [ "$(titled_windows)" -le 1 ] && break
  sleep 0.1
done
[ "$(titled_windows)" -eq 1 ] || fail "the message box did not go, or the window went with it"
kill -0 "$pid" 2>/dev/null || fail "the program ended when the message was dismissed"

click_nav "$win" 5040                 # imgsave again, the edit still in the window
expect_clean_exit 10
grep -q $'^vsync=y\r$' "$work/VOZ.INI" || fail "the second save lost the edit made before the failed one"
echo "PASS"
