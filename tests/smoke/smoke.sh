#!/bin/sh
# Smoke test on a real X display: starts the real program under Xvfb, drives it with
# xdotool as a new user would (leave the welcome panel, open the example project through
# the menu and the file dialog, run "Hydrogram"), takes a screenshot and checks from its
# pixels that the chart area shows a drawn blue curve.
#   usage: smoke.sh <moravel binary> <project file> <screenshot to write>
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

# Waits (at most 30 s) until a window whose title matches $1 is shown.
wait_for_window() {
  timeout 30 xdotool search --sync --onlyvisible --name "$1" >/dev/null
}
# Waits (at most 30 s) until no window whose title matches $1 is shown.
wait_until_gone() {
  n=0
  while xdotool search --onlyvisible --name "$1" >/dev/null 2>&1; do
    n=$((n + 1)); [ "$n" -lt 60 ] || return 1
    sleep 0.5
  done
}
# Pure blue pixels in the chart area, the lower part of the window.
blue_pixels() {
  import -window root "$shot"
  convert "$shot" -crop 1060x260+200+520 +repage -fuzz 12% -fill black +opaque '#0000ff' \
          -fill white -opaque '#0000ff' -format '%[fx:round(mean*w*h)]' info:
}

wait_for_window '^Moravel 1\.0$'
sleep 1

# The welcome picture fills the middle of the screen.
xdotool mousemove 640 512 click 1
sleep 0.5

# Opens a menu by a click on its title in the menu bar and chooses one of its items with
# the keyboard. The titles' x positions are those of the window's font at this screen size.
choose() {  # $1: x of the menu title, $2: position of the item (1 = first)
  xdotool mousemove "$1" 8 click 1
  sleep 0.5
  i=0; while [ "$i" -lt "$2" ]; do xdotool key Down; i=$((i + 1)); done
  xdotool key Return
}
PLIK_X=18
OBLICZENIA_X=226

choose $PLIK_X 2            # Plik -> Otwórz Projekt
wait_for_window 'Otwieranie pliku projektu'
sleep 0.5
xdotool type --delay 20 "$project"
xdotool key Return
wait_until_gone 'Otwieranie pliku projektu'
sleep 1

choose $OBLICZENIA_X 1      # Obliczenia -> Hydrogram

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
