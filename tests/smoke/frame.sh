#!/bin/sh
# The real program under a window manager: its window, frame and title bar included, lies
# on the screen, and its client area fills what the frame leaves of it.
#   usage: frame.sh <moravel binary>
# Waits for what it needs (the manager running, the window shown, the frame settled) instead
# of sleeping for a time that a busy machine may exceed.
set -eu
binary=$1
width=1024
height=768

if [ -z "${MORAVEL_FRAME_INNER:-}" ]; then
  MORAVEL_FRAME_INNER=1 exec xvfb-run -a -s "-screen 0 ${width}x${height}x24" "$0" "$@"
fi
unset QT_QPA_PLATFORM

openbox >/dev/null 2>&1 &
wm=$!
pid=""
trap 'kill $pid $wm 2>/dev/null || true' EXIT

# Polls `$@` every 0.1 s until it succeeds; fails after 60 s (half the test's own limit, so
# that a machine busy with other builds is given time), naming what it waited for.
wait_until() {
  what=$1; shift
  deadline=$(($(date +%s) + 60))
  until "$@"; do
    if [ "$(date +%s)" -ge "$deadline" ]; then
      echo "frame: gave up waiting for $what" >&2
      return 1
    fi
    sleep 0.1
  done
}
wm_running() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }
wait_until "the window manager" wm_running

LC_ALL=pl_PL.UTF-8 LANG=pl_PL.UTF-8 "$binary" &
pid=$!
window_id() { xdotool search --onlyvisible --name '^Moravel 1\.0$' 2>/dev/null | head -n 1; }
shown() { [ -n "$(window_id)" ]; }
wait_until "the main window" shown
id=$(window_id)

# The frame's rectangle on the screen: the client's position less the frame extents. The
# window is looked up again each time: the first one found may be replaced while the
# program starts (a window made again when it is maximized), and its frame never settles.
frame() {
  id=$(window_id)
  [ -n "$id" ] || return 1
  extents=$(xprop -id "$id" _NET_FRAME_EXTENTS 2>/dev/null | sed -n 's/.*= *//p' | tr -d ' ')
  [ -n "$extents" ] || return 1
  info=$(xwininfo -id "$id") || return 1
  x=$(echo "$info" | sed -n 's/.*Absolute upper-left X: *//p')
  y=$(echo "$info" | sed -n 's/.*Absolute upper-left Y: *//p')
  w=$(echo "$info" | sed -n 's/.*Width: *//p')
  h=$(echo "$info" | sed -n 's/.*Height: *//p')
  left=$(echo "$extents" | cut -d, -f1); right=$(echo "$extents" | cut -d, -f2)
  top=$(echo "$extents" | cut -d, -f3); bottom=$(echo "$extents" | cut -d, -f4)
  fx=$((x - left)); fy=$((y - top)); fw=$((w + left + right)); fh=$((h + top + bottom))
}
# Fits: the frame lies on the screen and leaves at most 80 pixels of it unused each way
# (a panel of the window manager may take some).
fits() {
  frame || return 1
  [ "$fx" -ge 0 ] && [ "$fy" -ge 0 ] && [ $((fx + fw)) -le "$width" ] && [ $((fy + fh)) -le "$height" ] &&
    [ "$w" -ge $((width - 80)) ] && [ "$h" -ge $((height - 80)) ]
}
if ! wait_until "the frame to lie on the screen" fits; then
  frame || true
  echo "frame: frame at ${fx:-?},${fy:-?} size ${fw:-?}x${fh:-?}, client ${w:-?}x${h:-?}," \
       "screen ${width}x${height}" >&2
  exit 1
fi
echo "frame: ${fw}x${fh} at ${fx},${fy} on ${width}x${height}; client ${w}x${h}"
