#!/usr/bin/env bash
# The .exe run under Wine as "nobody", on a file of root's in a folder that anyone may write: the
# rename would be allowed there, the change is not, and the file must stay root's and as it was.
# Wine runs a user's programs only in a prefix of that user's, so "nobody" gets one of its own.
#
#   wine_as_nobody.sh <platform_test.exe> <work folder> <scripts/wine-prefix.sh>
#
# Exits 77 (skipped) where it cannot run: not root, or no runuser.
set -euo pipefail
exe=$1
work=$2
prefix_script=$3

[ "$(id -u)" = 0 ] || { echo "skipped: needs root, to run the .exe as nobody on root's file"; exit 77; }
command -v runuser >/dev/null || { echo "skipped: needs runuser"; exit 77; }

files=$work/files
home=$work/home
rm -rf "$files"
mkdir -p "$files" "$home"
chmod 0777 "$files"
printf 'old' >"$files/VOZ.INI"
chmod 0644 "$files/VOZ.INI"
chown nobody: "$home"

as_nobody() { runuser -u nobody -- env HOME="$home" WINEPREFIX="$home/wine" "$@"; }
trap 'as_nobody "$prefix_script" stop >/dev/null 2>&1 || true' EXIT

windows_path="Z:$(printf '%s' "$files/VOZ.INI" | tr / '\\')"
output=$(as_nobody env QUORVANE_FOREIGN_FILE="$windows_path" "$prefix_script" run "$exe" \
  --gtest_filter=WindowsFiles.AFileTheUserMayNotWriteIsNeverReplaced 2>&1) || {
  printf '%s\n' "$output"
  echo "FAILED: the test failed as nobody"
  exit 1
}
printf '%s\n' "$output"
grep -q '^\[  PASSED  \] 1 test' <<<"$output" || { echo "FAILED: the test did not run"; exit 1; }
[ "$(stat -c '%U %a' "$files/VOZ.INI")" = "root 644" ] || {
  echo "FAILED: VOZ.INI is now $(stat -c '%U %a' "$files/VOZ.INI")"
  exit 1
}
[ "$(cat "$files/VOZ.INI")" = old ] || { echo "FAILED: VOZ.INI was changed"; exit 1; }
[ "$(ls -A "$files")" = VOZ.INI ] || { echo "FAILED: left behind: $(ls -A "$files")"; exit 1; }
echo "root's VOZ.INI is root's, 644 and unchanged"
