#!/usr/bin/env bash
# The window's icon: task bars and Alt+Tab take it from _NET_WM_ICON, which must hold the
# program's icon at 16 and at 32 pixels (the sizes the Windows build carries), not be missing.
#
#   window_icon.sh <quorvane-config or quorvane-config.exe> <VOZ.default.INI> <xvfb-common.sh>
#
# The Windows build runs under Wine in the prefix $WINEPREFIX.
set -euo pipefail

# shellcheck source=../../scripts/xvfb-common.sh
. "$3"
begin_e2e "$1" "$2"

cp "$program" "$work/"
cp "$default_file" "$work/VOZ.INI"
start_display "$program"
start_editor "$work/$(basename "$program")"

icon=$(xprop -id "$win" _NET_WM_ICON)
case $icon in *"not found"* | *"no such atom"*) fail "the window has no icon: $icon" ;; esac
for size in 16 32; do
  grep -q "Icon ($size x $size)" <<<"$icon" || fail "the icon has no $size x $size image"
done
echo "PASS"
