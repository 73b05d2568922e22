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

window=$(xdotool search --sync --onlyvisible --name '^Moravel 1\.0$' | head -n 1)
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
  sleep 0.7
}
PLIK_X=18
OBLICZENIA_X=226

choose $PLIK_X 2            # Plik -> Otwórz Projekt
xdotool type --delay 20 "$project"
xdotool key Return
sleep 1.5

choose $OBLICZENIA_X 1      # Obliczenia -> Hydrogram
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
