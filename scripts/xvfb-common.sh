# Shared by the screenshot script, the end-to-end test and the start-up benchmark: a private X
# server and the window's coordinates. Source it; it defines functions only.

# start_xvfb: starts Xvfb on a display of its own choosing and exports DISPLAY. Sets XVFB_PID.
# Xvfb picks the free display itself (-displayfd), so servers started side by side never clash.
start_xvfb() {
  local number_file tries n=
  number_file=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$number_file" >/dev/null 2>&1 &
  XVFB_PID=$!
  for tries in $(seq 100); do
    n=$(tr -dc '0-9' <"$number_file")
    [ -n "$n" ] && break
    kill -0 "$XVFB_PID" 2>/dev/null || break
    sleep 0.05
  done
  rm -f "$number_file"
  if [ -z "$n" ]; then
    kill "$XVFB_PID" 2>/dev/null
    wait "$XVFB_PID" 2>/dev/null
    XVFB_PID=
    echo "Xvfb did not start" >&2
    return 1
  fi
  export DISPLAY=":${n}"
  for tries in $(seq 50); do
    xdpyinfo >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  echo "Xvfb on $DISPLAY does not answer" >&2
  return 1
}

stop_xvfb() {
  if [ -n "${XVFB_PID:-}" ]; then
    kill "$XVFB_PID" 2>/dev/null
    wait "$XVFB_PID" 2>/dev/null
    XVFB_PID=
  fi
}

# begin_run: a scratch folder in $work and a trap that, when the script exits, ends the program
# whose pid is in $pid (and the Wine prefix it ran in), stops the X server and removes the folder.
begin_run() {
  work=$(mktemp -d)
  pid=
  trap end_run EXIT
}

end_run() {
  # Under set -e a failing wait (the program ended by the kill) would end this clean-up early
  # and leave the X server running.
  if [ -n "${pid:-}" ]; then
    kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null || true
  fi
  if declare -F wine_stop >/dev/null; then wine_stop; fi
  stop_xvfb
  rm -rf "$work"
}

# is_windows_build <program>: whether the program is the Windows build (an .exe, run under Wine).
is_windows_build() {
  case $1 in *.exe) return 0 ;; *) return 1 ;; esac
}

# launch <program> [arguments]: starts the editor in the background; sets pid. The Windows build
# runs under Wine in $WINEPREFIX, which wine_start (wine-common.sh) has started.
launch() {
  if is_windows_build "$1"; then
    wine_launch "$@"
  else
    "$@" &
    pid=$!
  fi
}

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# expect_clean_exit [seconds]: waits for the program in $pid to end (the closing fade takes about
# 1.1 s) and fails unless it ended in time with status 0.
expect_clean_exit() {
  local tenths=$((${1:-10} * 10)) status=0
  for _ in $(seq "$tenths"); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  kill -0 "$pid" 2>/dev/null && fail "the program was still running ${1:-10} s after Save & Quit"
  wait "$pid" || status=$?
  pid=
  [ "$status" -eq 0 ] || fail "the program exited with status $status"
}

# find_window [timeout seconds]: prints the id of the editor's visible window. Gives up early
# when the program in $pid (if set) has ended.
find_window() {
  local timeout=${1:-10} id
  local end=$((SECONDS + timeout))
  while [ $SECONDS -le $end ]; do
    if [ -n "${pid:-}" ] && ! kill -0 "$pid" 2>/dev/null; then return 1; fi
    id=$(xdotool search --onlyvisible --name '^Quorvane Configuration$' 2>/dev/null | head -n1)
    if [ -n "$id" ]; then
      echo "$id"
      return 0
    fi
    sleep 0.05
  done
  return 1
}

# start_editor <program> [arguments]: starts the editor and waits for its window; sets pid and
# win. Xvfb on this machine now and then refuses a client's connection: a start that ends for
# that reason is tried again, up to twice; any other failure to show the window fails the run.
start_editor() {
  local tries
  for tries in 1 2 3; do
    launch "$@" 2>"$work/stderr.$tries"
    if win=$(find_window 30); then return 0; fi
    kill -0 "$pid" 2>/dev/null && fail "no window appeared within 30 s"
    wait "$pid" 2>/dev/null || true
    pid=
    if ! grep -Eqi "could not connect to display|cannot open display|can't open display" \
      "$work/stderr.$tries"; then
      cat "$work/stderr.$tries" >&2
      fail "the program ended before its window appeared"
    fi
    echo "the X server refused the program's connection; starting it again" >&2
  done
  fail "the X server refused the program's connection three times"
}

# start_display <program>: a private X server; for the Windows build, the Wine prefix in
# $WINEPREFIX with the X server it boots on.
start_display() {
  if is_windows_build "$1"; then
    [ -n "${WINEPREFIX:-}" ] || fail "the Windows build needs WINEPREFIX, a private prefix folder"
    wine_start "$WINEPREFIX"
  else
    start_xvfb
  fi
}

# begin_e2e <program> <VOZ.default.INI>: what every end-to-end script does first, with the
# arguments it was given: sets program and default_file, skips when a tool is missing, and
# begins the run (its scratch folder $work, cleaned up at the end).
begin_e2e() {
  program=$1
  default_file=$2
  need_tools "$program"
  begin_run
}

# need_tools <program>: exits with the skip status 77 when a tool the run needs is missing.
need_tools() {
  local tool tools=(Xvfb xdotool xprop)
  if is_windows_build "$1"; then tools+=(wine wineserver); fi
  for tool in "${tools[@]}"; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
  done
}

# window_opacity <window>: the opacity the window asks of the X server, 0 to 4294967295 (the
# latter also when it asks for none); nothing when the window is gone.
window_opacity() {
  local out value
  out=$(xprop -id "$1" _NET_WM_WINDOW_OPACITY 2>/dev/null) || return 0
  value=$(echo "$out" | sed -n 's/.*= *\([0-9]*\).*/\1/p')
  echo "${value:-4294967295}"
}

# Layout positions are in twips (15 to a pixel). The body's client area starts one border pixel
# inside the body, which starts 300 twips down; the pages start 650 twips into the body.
BODY_LEFT=15
BODY_TOP=315
PAGE_LEFT=15
PAGE_TOP=965

# click_twips <window> <left> <top> <width> <height> [origin-left origin-top]: clicks the middle
# of a control's rectangle given in twips within a container whose client area is at the origin.
# WINDOW_DPI (default 96) is the scale the window is drawn at: 1440 twips make an inch.
click_twips() {
  local win=$1 left=$2 top=$3 width=$4 height=$5 ox=${6:-$PAGE_LEFT} oy=${7:-$PAGE_TOP}
  local dpi=${WINDOW_DPI:-96}
  local x=$(((ox + left + width / 2) * dpi / 1440))
  local y=$(((oy + top + height / 2) * dpi / 1440))
  xdotool mousemove --window "$win" "$x" "$y" click 1
}

# step <command...>: one thing the user does, once the program is still running, then a pause for
# the window to follow it (STEP_PAUSE seconds, 0.3 by default).
step() {
  kill -0 "$pid" 2>/dev/null || fail "the program ended early, before: $*"
  "$@"
  sleep "${STEP_PAUSE:-0.3}"
}

# click_nav <window> <left>: a navigation image, 480 x 480 twips at top 40 of the body.
click_nav() {
  click_twips "$1" "$2" 40 480 480 "$BODY_LEFT" "$BODY_TOP"
}

# shellcheck source=wine-common.sh
. "$(dirname "${BASH_SOURCE[0]}")/wine-common.sh"
