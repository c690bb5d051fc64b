#!/bin/sh
# Builds mirtun, starts it on a virtual X display (Xvfb), opens its dialogs
# with the keyboard (xdotool) and saves a picture of each:
#   tools/screenshot.sh [DIR]   (default ${TMPDIR:-/tmp}/mirtun-screenshots)
# gives main.png, options.png, help.png and info.png. Settings are read from
# a throwaway folder, so the dialogs show their first-start state.
set -e
cd "$(dirname "$0")/.."
OUT=${1:-${TMPDIR:-/tmp}/mirtun-screenshots}
tools/deps.sh
need=""
for p in xvfb xauth ffmpeg xdotool; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || need="$need $p"
done
if [ -n "$need" ]; then
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq $need
fi
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target mirtun
mkdir -p "$OUT"

CONFIG=$(mktemp -d)
trap 'rm -rf "$CONFIG"' EXIT
# Inside the virtual display: start the program and wait for its window.
# From the source field, seven Tabs reach "Optionen..." (the disabled
# "Vorschau" and "Umwandeln" are skipped); F1 there opens the help window,
# Escape closes it, and Return chooses the options dialog's default button
# "Abbrechen". Two Shift+Tabs back from "Optionen..." reach "Info...".
XDG_CONFIG_HOME="$CONFIG" xvfb-run -a -s "-screen 0 800x600x24 -dpi 96" sh -c '
  out=$0
  shot() {
    xdotool mousemove 799 599  # the pointer out of the picture
    sleep 1.5
    ffmpeg -hide_banner -loglevel error -y -f x11grab -video_size 800x600 \
      -i "$DISPLAY" -frames:v 1 "$out/$1.png"
  }
  front() { xdotool search --sync --name "$1" windowactivate --sync 2>/dev/null ||
            xdotool search --sync --name "$1" windowfocus --sync; }
  QT_QPA_PLATFORM=xcb build/mirtun &
  pid=$!
  front "Mirtun: Playlist umwandeln"
  shot main
  xdotool key Tab Tab Tab Tab Tab Tab Tab space
  front "Mirtun Ausgabe-Optionen"
  shot options
  xdotool key F1
  front "Mirtun – Hilfe"
  shot help
  xdotool key Escape
  front "Mirtun Ausgabe-Optionen"
  xdotool key Return
  front "Mirtun: Playlist umwandeln"
  xdotool key shift+Tab shift+Tab space
  front "Über Mirtun"
  shot info
  kill "$pid"
' "$OUT"
echo "Screenshots: $OUT/main.png options.png help.png info.png"
