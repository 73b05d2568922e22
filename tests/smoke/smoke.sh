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

"$binary" &
pid=$!
trap 'kill $pid 2>/dev/null || true' EXIT

window=$(xdotool search --sync --onlyvisible --name '^Moravel 1\.0$' | head -n 1)
sleep 1

# The welcome picture fills the middle of the screen.
xdotool mousemove 640 512 click 1
sleep 0.5

# Alt opens the menu bar at "Plik"; its second item is "Otwórz Projekt".
open_menu_item() {  # $1: menus to the right of "Plik", $2: items below the first
  xdotool key --window "$window" alt
  sleep 0.3
  i=0; while [ "$i" -lt "$1" ]; do xdotool key Right; i=$((i + 1)); done
  xdotool key Down
  sleep 0.3
  i=0; while [ "$i" -lt "$2" ]; do xdotool key Down; i=$((i + 1)); done
  xdotool key Return
  sleep 0.7
}

open_menu_item 0 1
xdotool type --delay 20 "$project"
xdotool key Return
sleep 1.5

# "Obliczenia" is the fourth menu to the right of "Plik"; "Hydrogram" its first item.
open_menu_item 4 0
sleep 1.5

import -window root "$shot"

# The chart lies in the lower part of the window; count its pure blue pixels.
blue=$(convert "$shot" -crop 1060x260+200+520 +repage -fuzz 12% -fill black +opaque '#0000ff' \
         -fill white -opaque '#0000ff' -format '%[fx:round(mean*w*h)]' info:)
echo "blue pixels in the chart area: $blue"
if [ "$blue" -lt 200 ]; then
  echo "no hydrograph curve was drawn" >&2
  exit 1
fi
