#!/usr/bin/env bash
# A private Wine prefix for running the Windows build: the test suite, and anything else that
# starts the .exe files under Wine (end-to-end tests under Xvfb).
#
#   WINEPREFIX=<absolute folder> scripts/wine-prefix.sh start
#   WINEPREFIX=<absolute folder> scripts/wine-prefix.sh run <program.exe> [arguments...]
#   WINEPREFIX=<absolute folder> scripts/wine-prefix.sh stop
#
# In: WINEPREFIX (required; never defaults to ~/.wine). Optional: WINE and WINESERVER (the
# loader and server to use; found in /usr/lib/wine or on PATH otherwise), WINEDEBUG (default
# -all), and QUORVANE_WINE_DISPLAY: the X display that Wine's desktop process (started while
# booting) draws on. Without it the boot is headless, and the prefix only runs programs without
# windows; a run under Xvfb passes its own $DISPLAY here.
#
# start: makes the prefix when it is missing (64-bit, no Mono or Gecko installers, the X11 driver
#   with "Managed"="N" so that windows are plain X windows without a window manager), then boots
#   it with all output sent to /dev/null, under one persistent `wineserver -p`. Safe to run
#   again and from several processes at once: a running prefix is left as it is.
# run: starts the prefix when needed, then runs the program under Wine in it, with the caller's
#   standard streams, and exits with the program's status.
# stop: `wineserver -k`: ends the server and every Wine process of the prefix.
#
# What it leaves: the prefix folder and, beside it, "<prefix>.lock" (the lock that keeps two
# starts apart). Unix paths are reachable as Z:\ inside it, as in any Wine prefix.
set -euo pipefail

die() {
  echo "wine-prefix.sh: $*" >&2
  exit 2
}

[ $# -ge 1 ] || die "usage: WINEPREFIX=<folder> $0 start|run <program> [args...]|stop"
[ -n "${WINEPREFIX:-}" ] || die "WINEPREFIX is not set (this script never uses ~/.wine)"
case "$WINEPREFIX" in
  /*) ;;
  *) die "WINEPREFIX must be an absolute path: $WINEPREFIX" ;;
esac
export WINEPREFIX
export WINEARCH=win64
export WINEDEBUG="${WINEDEBUG:--all}"
# Neither installer can run headless, and nothing here needs .NET or HTML.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"

if [ -z "${WINE:-}" ]; then
  if [ -x /usr/lib/wine/wine64 ]; then
    WINE=/usr/lib/wine/wine64
  else
    WINE=$(command -v wine64 || command -v wine || true)
  fi
fi
WINESERVER=${WINESERVER:-$(command -v wineserver || true)}
[ -n "$WINE" ] && [ -n "$WINESERVER" ] ||
  die "Wine is not installed (packages wine and wine64)"

# Runs a Wine tool with no standard streams of ours: Wine's background services inherit them and
# would hold a caller's pipes (CTest's, for one) open long after the tool has ended.
quietly() {
  "$@" </dev/null >/dev/null 2>&1 9>&-
}

start() {
  mkdir -p "$WINEPREFIX"
  exec 9>"$WINEPREFIX.lock"
  flock 9
  # 0: a new server, which stays up until `stop`; 2: one is running for this prefix already.
  local server=0
  quietly "$WINESERVER" -p || server=$?
  if [ "$server" -ne 0 ] && [ "$server" -ne 2 ]; then
    die "wineserver -p failed with status $server"
  fi
  local display=(-u DISPLAY)
  if [ -n "${QUORVANE_WINE_DISPLAY:-}" ]; then display+=(DISPLAY="$QUORVANE_WINE_DISPLAY"); fi
  if [ ! -f "$WINEPREFIX/.quorvane-ready" ]; then
    quietly env "${display[@]}" "$WINE" wineboot --init ||
      die "making the Wine prefix $WINEPREFIX failed"
    quietly env "${display[@]}" "$WINE" reg add 'HKCU\Software\Wine\X11 Driver' \
      /v Managed /t REG_SZ /d N /f || die "cannot set the X11 driver's Managed=N in $WINEPREFIX"
    touch "$WINEPREFIX/.quorvane-ready"
  elif [ "$server" -eq 0 ]; then
    # A new server: its services start now, not inside the first program that is run.
    quietly env "${display[@]}" "$WINE" wineboot || die "booting the Wine prefix $WINEPREFIX failed"
  fi
}

case "$1" in
  start)
    start
    ;;
  run)
    shift
    [ $# -ge 1 ] || die "run: no program given"
    (start)
    exec "$WINE" "$@"
    ;;
  stop)
    quietly "$WINESERVER" -k || true
    ;;
  *)
    die "unknown command: $1 (start, run or stop)"
    ;;
esac
