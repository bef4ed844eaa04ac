#!/usr/bin/env bash
# The Linux build and the .exe under Wine on one folder at once, each saving its own setting over
# and over (concurrent_saver): neither may lose the other's save, nor delete the other's
# temporary file (each round starts as the editor starts, clearing what it judges stale), and
# nothing is left behind.
#
#   both_builds.sh <Linux concurrent_saver> <concurrent_saver.exe> <work folder> <wine-prefix.sh>
#
# WINEPREFIX names the prefix to run the .exe in. Exits 77 (skipped) without the Linux build.
set -euo pipefail
linux_saver=$1
windows_saver=$2
work=$3
prefix_script=$4
rounds=150

[ -x "$linux_saver" ] || {
  echo "skipped: no Linux build of concurrent_saver at $linux_saver (build the ci preset first)"
  exit 77
}
rm -rf "$work"
mkdir -p "$work"

"$prefix_script" run "$windows_saver" "Z:$(printf '%s' "$work" | tr / '\\')" brightness $rounds \
  >"$work.windows.log" 2>&1 &
windows=$!
"$linux_saver" "$work" gamma $rounds >"$work.linux.log" 2>&1 &
linux=$!
# Wine takes a moment to start; both wait for this before their first round.
sleep 3
touch "$work/go"
linux_status=0
windows_status=0
wait $linux || linux_status=$?
wait $windows || windows_status=$?
cat "$work.linux.log" "$work.windows.log"
rm "$work/go"

failed=0
[ $linux_status -eq 0 ] || { echo "FAILED: the Linux build exited with $linux_status"; failed=1; }
[ $windows_status -eq 0 ] || { echo "FAILED: the .exe exited with $windows_status"; failed=1; }
for setting in gamma brightness; do
  grep -q "^$setting=$rounds"$'\r'"\$" "$work/VOZ.INI" ||
    { echo "FAILED: VOZ.INI does not hold $setting=$rounds"; failed=1; }
done
left=$(ls -A "$work" | tr '\n' ' ')
[ "$left" = "VOZ.INI VOZ_backup.INI " ] || { echo "FAILED: left in the folder: $left"; failed=1; }
[ $failed -eq 0 ] && echo "both builds: every save of each kept, nothing left behind"
exit $failed
