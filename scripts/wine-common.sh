# Shared by the end-to-end tests of the Windows build, its screenshots and its start-up benchmark:
# a private Wine prefix and its server. Source it after xvfb-common.sh; it defines functions only.
#
# The prefix is made once and kept (making one takes a quarter of a minute); everything that
# runs in it uses one wineserver, kept alive between programs (-p), so that each program starts
# as it would on a running desktop instead of paying for a server start.

# wine_prefix <folder> [dpi]: makes <folder> a Wine prefix unless it is one already, and exports
# WINEPREFIX. Its X11 driver is told that windows are not managed, or Wine waits two seconds at
# each window close for a window manager that Xvfb does not have. dpi (default 96) is the
# scale that programs in the prefix see. Needs DISPLAY.
wine_prefix() {
  local folder=$1 dpi=${2:-96}
  export WINEPREFIX=$folder
  export WINEDEBUG=${WINEDEBUG:--all}
  # No Mono or Gecko installer dialogs: nothing here needs them.
  export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
  if [ ! -f "$folder/system.reg" ] || [ ! -f "$folder/.quorvane-ready" ]; then
    mkdir -p "$folder"
    wineboot -i >/dev/null 2>&1 || { echo "wineboot failed in $folder" >&2; return 1; }
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1 ||
      { echo "could not set the X11 driver's Managed key in $folder" >&2; return 1; }
    touch "$folder/.quorvane-ready"
  fi
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
  wine reg add 'HKCC\Software\Fonts' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
  wineserver -w
}

# start_wineserver: a persistent server for $WINEPREFIX, stopped again by stop_wineserver.
start_wineserver() {
  wineserver -p
}

stop_wineserver() {
  if [ -n "${WINEPREFIX:-}" ]; then
    wineserver -k 2>/dev/null
    wineserver -w 2>/dev/null
  fi
  return 0
}
