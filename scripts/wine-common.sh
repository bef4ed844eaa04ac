# Shared by the end-to-end tests of the Windows build, its screenshots and its start-up benchmark:
# the Windows build under Wine, in a private prefix that scripts/wine-prefix.sh keeps, with the
# Xvfb server that it starts for the prefix. xvfb-common.sh sources it; it defines functions only.

QUORVANE_WINE_PREFIX_SCRIPT=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/wine-prefix.sh

# wine_start <prefix folder> [dpi]: starts the prefix (making it when missing) booted on an Xvfb
# server of its own, with a server that stays up between programs, and exports WINEPREFIX and
# that server's DISPLAY. A prefix already running is stopped first: it may have been booted
# without a display, and programs would then show no window. dpi (default 96) is the scale that
# programs in the prefix see.
wine_start() {
  export WINEPREFIX=$1
  export WINEDEBUG=${WINEDEBUG:--all}
  local dpi=${2:-96}
  "$QUORVANE_WINE_PREFIX_SCRIPT" stop
  QUORVANE_WINE_XVFB=1 "$QUORVANE_WINE_PREFIX_SCRIPT" start ||
    { echo "the Wine prefix $WINEPREFIX did not start" >&2; return 1; }
  DISPLAY=$(cat "$WINEPREFIX/.quorvane-display") ||
    { echo "the Wine prefix $WINEPREFIX has no display" >&2; return 1; }
  export DISPLAY
  local key
  for key in 'HKCU\Control Panel\Desktop' 'HKCC\Software\Fonts'; do
    "$QUORVANE_WINE_PREFIX_SCRIPT" run reg add "$key" /v LogPixels /t REG_DWORD /d "$dpi" /f \
      </dev/null >/dev/null 2>&1 || { echo "could not set the DPI of $WINEPREFIX" >&2; return 1; }
  done
}

# wine_launch <program.exe> [arguments]: starts it in the background; sets pid. Its exit
# status is the Windows program's.
wine_launch() {
  "$QUORVANE_WINE_PREFIX_SCRIPT" run "$@" </dev/null &
  pid=$!
}

wine_stop() {
  if [ -n "${WINEPREFIX:-}" ]; then "$QUORVANE_WINE_PREFIX_SCRIPT" stop; fi
  return 0
}
