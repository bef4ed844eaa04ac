#!/usr/bin/env bash
# What a screen reader finds, through AT-SPI: the real program under a private Xvfb server and a
# private D-Bus session (with its own accessibility bus), read and driven by accessibility.py with
# pyatspi, and by the keyboard through xdotool. VOZ.INI has the sound off, and a delay of 50,
# outside the range its comment gives, so the sound panel shows a warning sign, and a first
# system card that is not there, so the paths page signs it. The run ends with the close image,
# which must leave VOZ.INI as it was. Given another script (save_list.py), that one reads and
# drives the program instead, and checks what it saves.
#
#   accessibility.sh <quorvane-config> <VOZ.default.INI> <xvfb-common.sh> [<script.py>]
set -euo pipefail

program=$1
default_file=$2
common=$3
check=${4:-accessibility.py}
here=$(cd "$(dirname "$0")" && pwd)
# Debian's pyatspi belongs to the system's Python, whatever python3 comes first on the PATH.
python=/usr/bin/python3

for tool in Xvfb xdotool dbus-run-session; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
"$python" -c 'import pyatspi' 2>/dev/null ||
  { echo "SKIP: pyatspi (python3-pyatspi) is not installed"; exit 77; }

# The session bus is the test's own, so the accessibility bus it starts is too. The services the
# bus starts inherit its output, and may outlive it for a moment: they write to a file, not to
# the pipe of whoever runs this test, which would otherwise wait for them.
# The accessibility bus's socket lies in $XDG_RUNTIME_DIR, or in ~/.cache where that is unset: a
# folder of the test's own keeps it apart from every other session of the same user, whose bus
# would otherwise take the place of this one's, or remove it on ending.
if [ -z "${QUORVANE_PRIVATE_BUS:-}" ]; then
  log=$(mktemp)
  runtime=$(mktemp -d)
  status=0
  QUORVANE_PRIVATE_BUS=1 XDG_RUNTIME_DIR=$runtime dbus-run-session -- bash "$0" "$@" >"$log" 2>&1 \
    </dev/null || status=$?
  grep -v -e 'dbus-daemon' -e 'SpiRegistry daemon is running' "$log" || true
  rm -rf "$log" "$runtime"
  exit "$status"
fi

# shellcheck source=../../scripts/xvfb-common.sh
. "$common"
begin_run

cp "$program" "$work/quorvane-config"
sed -e 's/^delay=\r$/delay=50\r/' -e 's/^sound=y\r$/sound=n\r/' \
  -e 's/^system_card_1=\r$/system_card_1=nowhere.pce\r/' "$default_file" > "$work/VOZ.INI"
cp "$work/VOZ.INI" "$work/VOZ.expected"
start_xvfb
# Asking for the desktop once starts the accessibility bus and its registry before the program,
# which looks for them when it starts.
"$python" -c 'import pyatspi; pyatspi.Registry.getDesktop(0)' >/dev/null 2>&1
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
start_editor "$work/quorvane-config"

QUORVANE_WORK=$work QUORVANE_PID=$pid "$python" "$here/$check" ||
  fail "the accessible tree is not as expected"

expect_clean_exit 10
if [ "$check" = accessibility.py ]; then
  cmp -s "$work/VOZ.INI" "$work/VOZ.expected" || fail "closing without saving changed VOZ.INI"
fi
echo "PASS"
