#!/usr/bin/env bash
# Checks that an .exe is a whole program in one file: it imports only DLLs that come with Windows
# itself (no C++ runtime, threads library or toolkit DLL beside it), and it carries its version
# information, its icon and the manifest that makes it DPI-aware.
#
#   imports.sh <objdump> <program.exe>
set -euo pipefail

objdump=$1
exe=$2

# Windows' own: the system DLLs, the C runtime every Windows has (msvcrt.dll, or the universal C
# runtime's api-ms-win-crt-* sets on Windows 10 and later).
allowed='^(kernel32|user32|gdi32|comctl32|comdlg32|shell32|shlwapi|ole32|oleaut32|advapi32|msimg32|uxtheme|shcore|windowscodecs|version|msvcrt|ucrtbase|api-ms-win-crt-[a-z0-9-]+)\.dll$'

dump=$("$objdump" -p "$exe")
dlls=$(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$dump" | tr '[:upper:]' '[:lower:]')
[ -n "$dlls" ] || { echo "FAIL: objdump lists no imports of $exe" >&2; exit 1; }
status=0
while read -r dll; do
  if [[ $dll =~ $allowed ]]; then
    echo "ok   $dll"
  else
    echo "FAIL $dll is not one of Windows' own DLLs" >&2
    status=1
  fi
done <<<"$dlls"

# The resources: version strings are UTF-16, the manifest is plain text.
# Resource types at the top of the resource directory: 14 is an icon group.
grep -Eq '^[0-9a-f]+   Entry: ID: 0x00000e,' <<<"$dump" || { echo "FAIL: $exe has no icon" >&2; status=1; }
versions=$(strings -el "$exe")
for wanted in FileDescription FileVersion "Quorvane Configuration"; do
  grep -qx "$wanted" <<<"$versions" || { echo "FAIL: no \"$wanted\" in the version information" >&2; status=1; }
done
# grep -c reads to the end: with -q it would stop early and strings would die of a broken pipe.
[ "$(strings "$exe" | grep -c 'PerMonitorV2')" -gt 0 ] ||
  { echo "FAIL: no per-monitor DPI awareness in the manifest" >&2; status=1; }
[ "$status" -eq 0 ] && echo "ok   icon, version information and manifest"
exit $status
