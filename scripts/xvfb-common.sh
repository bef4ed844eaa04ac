# Shared by the screenshot script, the end-to-end test and the start-up benchmark: a private X
# server and the window's coordinates. Source it; it defines functions only.

# start_xvfb: starts Xvfb on a free display and exports DISPLAY. Sets XVFB_PID.
start_xvfb() {
  local n
  for n in $(seq 90 190); do
    [ -e "/tmp/.X${n}-lock" ] || [ -e "/tmp/.X11-unix/X${n}" ] && continue
    Xvfb ":${n}" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    XVFB_PID=$!
    local tries
    for tries in $(seq 50); do
      if xdpyinfo -display ":${n}" >/dev/null 2>&1 || [ -e "/tmp/.X11-unix/X${n}" ]; then
        export DISPLAY=":${n}"
        sleep 0.2
        return 0
      fi
      kill -0 "$XVFB_PID" 2>/dev/null || break
      sleep 0.1
    done
    kill "$XVFB_PID" 2>/dev/null
    wait "$XVFB_PID" 2>/dev/null
  done
  echo "no free X display" >&2
  return 1
}

stop_xvfb() {
  if [ -n "${XVFB_PID:-}" ]; then
    kill "$XVFB_PID" 2>/dev/null
    wait "$XVFB_PID" 2>/dev/null
    XVFB_PID=
  fi
}

# find_window [timeout seconds]: prints the id of the editor's visible window.
find_window() {
  local timeout=${1:-10} id
  local end=$((SECONDS + timeout))
  while [ $SECONDS -le $end ]; do
    id=$(xdotool search --onlyvisible --name '^Quorvane Configuration$' 2>/dev/null | head -n1)
    if [ -n "$id" ]; then
      echo "$id"
      return 0
    fi
    sleep 0.05
  done
  return 1
}

# Layout positions are in twips (15 to a pixel). The body's client area starts one border pixel
# inside the body, which starts 300 twips down; the pages start 650 twips into the body.
BODY_LEFT=15
BODY_TOP=315
PAGE_LEFT=15
PAGE_TOP=965

# click_twips <window> <left> <top> <width> <height> [origin-left origin-top]: clicks the middle
# of a control's rectangle given in twips within a container whose client area is at the origin.
click_twips() {
  local win=$1 left=$2 top=$3 width=$4 height=$5 ox=${6:-$PAGE_LEFT} oy=${7:-$PAGE_TOP}
  local x=$(((ox + left + width / 2) / 15))
  local y=$(((oy + top + height / 2) / 15))
  xdotool mousemove --window "$win" "$x" "$y" click 1
}

# click_nav <window> <left>: a navigation image, 480 x 480 twips at top 40 of the body.
click_nav() {
  click_twips "$1" "$2" 40 480 480 "$BODY_LEFT" "$BODY_TOP"
}
