#!/usr/bin/env bash
# Checks that an .exe imports only DLLs that come with Windows itself, so that it runs as one
# file dropped into a folder: no C++ runtime, threads library or toolkit DLL beside it.
#
#   imports.sh <objdump> <program.exe>
set -euo pipefail

objdump=$1
exe=$2

# Windows' own: the system DLLs, the C runtime every Windows has (msvcrt.dll, or the universal C
# runtime's api-ms-win-crt-* sets on Windows 10 and later).
allowed='^(kernel32|user32|gdi32|comctl32|comdlg32|shell32|shlwapi|ole32|oleaut32|advapi32|msimg32|uxtheme|shcore|windowscodecs|version|msvcrt|ucrtbase|api-ms-win-crt-[a-z0-9-]+)\.dll$'

dlls=$("$objdump" -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr '[:upper:]' '[:lower:]')
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
exit $status
