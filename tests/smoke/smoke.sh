#!/bin/sh
# Smoke test on a real X display: starts the real program under Xvfb, drives it with
# xdotool as a new user would (leave the welcome panel, open the example project through
# the menu and the file dialog, run "Hydrogram"), takes a screenshot and checks from its
# pixels that the chart area shows a drawn blue curve.
#   usage: smoke.sh <moravel binary> <project file> <screenshot to write>
# Every step waits for what it needs (a window shown, a window with the keyboard focus, a
# menu's popup) instead of sleeping for a time that a busy machine may exceed.
set -eu
binary=$1
project=$2
shot=$3

if [ -z "${MORAVEL_SMOKE_INNER:-}" ]; then
  # Re-run inside a private X server of a known size.
  MORAVEL_SMOKE_INNER=1 exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi
unset QT_QPA_PLATFORM

# The example case is written with decimal commas, as a Polish system types them.
LC_ALL=pl_PL.UTF-8 LANG=pl_PL.UTF-8 "$binary" &
pid=$!
trap 'kill $pid 2>/dev/null || true' EXIT

# The visible windows whose title matches $1, one id a line. A window may vanish while
# xdotool looks at it, and xdotool then dies of the X error (BadWindow): that counts as
# nothing found, and the callers below simply ask again.
find_windows() {
  xdotool search --onlyvisible --name "$1" 2>/dev/null || true
}
# Polls `$@` every 0.1 s until it succeeds; fails after 30 s, naming what it waited for.
wait_until() {  # $1: what is awaited (for the message), then the command
  what=$1; shift
  deadline=$(($(date +%s) + 30))
  until "$@"; do
    if [ "$(date +%s)" -ge "$deadline" ]; then
      echo "smoke: gave up waiting for $what" >&2
      return 1
    fi
    sleep 0.1
  done
}
shown() { [ -n "$(find_windows "$1")" ]; }
gone() { [ -z "$(find_windows "$1")" ]; }
# A menu's popup window of the program is shown (it has no title, only its window type).
menu_shown() {
  for w in $(xdotool search --onlyvisible --class '^moravel$' 2>/dev/null || true); do
    xprop -id "$w" _NET_WM_WINDOW_TYPE 2>/dev/null | grep -q '_MENU' && return 0
  done
  return 1
}
menu_gone() { ! menu_shown; }
# The window with the keyboard focus is one whose title matches $1.
focused() {
  focus=$(xdotool getwindowfocus 2>/dev/null) || return 1
  find_windows "$1" | grep -qx "$focus"
}
wait_for_window() { wait_until "window '$1'" shown "$1"; }
wait_until_gone() { wait_until "window '$1' to close" gone "$1"; }
wait_for_focus() { wait_until "keyboard focus in '$1'" focused "$1"; }

# Pure blue pixels in the chart area, the lower part of the window.
blue_pixels() {
  import -window root "$shot"
  convert "$shot" -crop 1060x260+200+520 +repage -fuzz 12% -fill black +opaque '#0000ff' \
          -fill white -opaque '#0000ff' -format '%[fx:round(mean*w*h)]' info:
}

main='^Moravel 1\.0$'
wait_for_window "$main"

# The welcome picture fills the middle of the screen. Without a window manager nothing has
# the focus before this click; the click gives it to the window.
xdotool mousemove 640 512 click 1

# Chooses an item of the menu bar with the keyboard alone, so that nothing depends on where
# the font puts the titles: Alt selects the first title, Right moves along the bar, Down
# opens the menu with its first item selected.
# Without a window manager a closed dialog hands the focus back to nobody: the window is
# given it.
choose() {  # $1: position of the menu in the bar, $2: position of the item (1 = first)
  for w in $(find_windows "$main"); do xdotool windowfocus "$w" 2>/dev/null || true; done
  wait_for_focus "$main"
  xdotool key alt
  i=1; while [ "$i" -lt "$1" ]; do xdotool key Right; i=$((i + 1)); done
  xdotool key Down
  wait_until "the menu's popup" menu_shown
  i=1; while [ "$i" -lt "$2" ]; do xdotool key Down; i=$((i + 1)); done
  xdotool key Return
  wait_until "the menu's popup to close" menu_gone
}
PLIK=1
OBLICZENIA=5

choose $PLIK 2              # Plik -> Otwórz Projekt
wait_for_window 'Otwieranie pliku projektu'
wait_for_focus 'Otwieranie pliku projektu'
xdotool type --delay 20 "$project"
xdotool key Return
wait_until_gone 'Otwieranie pliku projektu'

choose $OBLICZENIA 1        # Obliczenia -> Hydrogram

# The curve appears once the command has run; look for it for up to 15 s.
tries=0
while :; do
  blue=$(blue_pixels)
  [ "$blue" -ge 200 ] && break
  tries=$((tries + 1))
  if [ "$tries" -ge 30 ]; then
    echo "blue pixels in the chart area: $blue" >&2
    echo "no hydrograph curve was drawn" >&2
    exit 1
  fi
  sleep 0.5
done
echo "blue pixels in the chart area: $blue"
