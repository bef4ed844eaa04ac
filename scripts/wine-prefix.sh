#!/usr/bin/env bash
# A private Wine prefix for running the Windows build: the test suite, and anything else that
# starts the .exe files under Wine (end-to-end tests under Xvfb).
#
#   WINEPREFIX=<absolute folder> scripts/wine-prefix.sh start
#   WINEPREFIX=<absolute folder> scripts/wine-prefix.sh run <program.exe> [arguments...]
#   WINEPREFIX=<absolute folder> scripts/wine-prefix.sh stop
#
# In: WINEPREFIX (required; never defaults to ~/.wine). Optional: WINE and WINESERVER (the
# loader and server; otherwise /usr/lib/wine/wine64 or wine, and wineserver, from PATH),
# WINEDEBUG (default -all), and for `start` QUORVANE_WINE_XVFB=1: boot the prefix on a private
# Xvfb server of its own, which then lives until `stop`.
#
# Windows under Wine are drawn by a desktop process that starts while the prefix boots and keeps
# the display it found then: a prefix booted without one runs programs that have no windows, but
# shows no window later, whatever $DISPLAY the program is given. So a run that shows windows
# (under Xvfb, driven with xdotool) needs QUORVANE_WINE_XVFB=1, or the prefix stopped and started
# again on its display.
#
# start: makes the prefix when it is missing (64-bit, no Mono or Gecko installers, the X11 driver
#   with "Managed"="N" so that windows are plain X windows, placed where the program puts them
#   without a window manager), then boots it with all output sent to /dev/null under one
#   persistent `wineserver -p`. Safe to run again and from several processes at once: a running
#   prefix is left as it is.
# run: starts the prefix when needed, then runs the program under Wine in it, with the caller's
#   standard streams, on the prefix's own Xvfb display if it has one, and exits with the
#   program's status.
# stop: `wineserver -k` (ends the server and every Wine process of the prefix), then the Xvfb
#   server that `start` started, if any. A run that never stops (interrupted, or one that only
#   listed tests) leaves both running until the next start and stop in the same prefix.
#
# What it leaves: the prefix folder; in it .quorvane-ready once it is made, and while a private
#   Xvfb runs, .quorvane-display (its DISPLAY, e.g. ":5") and .quorvane-xvfb-pid; beside it
#   "<prefix>.lock", which keeps two starts apart. Unix paths are reachable as Z:\ in the prefix.
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

display_file=$WINEPREFIX/.quorvane-display
xvfb_pid_file=$WINEPREFIX/.quorvane-xvfb-pid

# Runs a Wine tool with no standard streams of ours, nor the lock: Wine's background services
# inherit them and would hold a caller's pipes (CTest's, for one) open long after the tool ended.
quietly() {
  "$@" </dev/null >/dev/null 2>&1 9>&-
}

start_private_xvfb() {
  # shellcheck source=scripts/xvfb-common.sh
  source "$(dirname "$0")/xvfb-common.sh"
  # Xvfb now and then refuses its first client; a second start is the cure.
  local tries
  for tries in 1 2 3; do
    if { start_xvfb; } </dev/null >/dev/null 2>&1 9>&-; then
      echo "$DISPLAY" >"$display_file"
      echo "$XVFB_PID" >"$xvfb_pid_file"
      return 0
    fi
    stop_xvfb
  done
  die "cannot start Xvfb for the Wine prefix"
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
  if [ "$server" -eq 0 ]; then
    # A run that was cut short (CTest interrupted, say) never stopped its Xvfb.
    stop_private_xvfb
    if [ "${QUORVANE_WINE_XVFB:-0}" = 1 ]; then start_private_xvfb; fi
  fi
  local display=(-u DISPLAY)
  if [ -f "$display_file" ]; then display+=(DISPLAY="$(cat "$display_file")"); fi
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

# The Xvfb server an earlier start left, if it still runs (a pid, once free, may be anyone's).
stop_private_xvfb() {
  if [ -f "$xvfb_pid_file" ]; then
    local xvfb_pid
    xvfb_pid=$(cat "$xvfb_pid_file")
    if [ "$(cat "/proc/$xvfb_pid/comm" 2>/dev/null)" = Xvfb ]; then kill "$xvfb_pid" 2>/dev/null; fi
  fi
  rm -f "$xvfb_pid_file" "$display_file"
}

stop() {
  quietly "$WINESERVER" -k || true
  stop_private_xvfb
}

case "$1" in
  start)
    start
    ;;
  run)
    shift
    [ $# -ge 1 ] || die "run: no program given"
    (start)
    if [ -f "$display_file" ]; then
      DISPLAY=$(cat "$display_file")
      export DISPLAY
    fi
    exec "$WINE" "$@"
    ;;
  stop)
    stop
    ;;
  *)
    die "unknown command: $1 (start, run or stop)"
    ;;
esac
