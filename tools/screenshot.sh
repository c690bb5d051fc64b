#!/bin/sh
# Builds mirtun, starts it on a virtual X display (Xvfb), opens its windows
# with the keyboard (xdotool) and saves a picture of each:
#   tools/screenshot.sh [DIR [DPI [THEME]]]
# DIR defaults to ${TMPDIR:-/tmp}/mirtun-screenshots, DPI (the font's dots
# per inch, QT_FONT_DPI) to 96, THEME to light; "dark" draws the windows in
# the dark Adwaita style (adwaita-qt6). The screen is 1280 x 800 pixels, with
# openbox as the window manager (title bars, focus back after a chooser).
# Gives main.png, source.png and target.png (the two choosers), options.png,
# help.png and info.png. Settings are read from a throwaway folder, so the
# dialogs show their first-start state.
set -e
cd "$(dirname "$0")/.."
OUT=${1:-${TMPDIR:-/tmp}/mirtun-screenshots}
DPI=${2:-96}
THEME=${3:-light}
tools/deps.sh
need="xvfb xauth ffmpeg xdotool openbox"
[ "$THEME" = dark ] && need="$need adwaita-qt6"
missing=""
for p in $need; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
if [ -n "$missing" ]; then
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq $missing
fi
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target mirtun
mkdir -p "$OUT"

CONFIG=$(mktemp -d)
trap 'rm -rf "$CONFIG"' EXIT
STYLE=""
[ "$THEME" = dark ] && STYLE=Adwaita-Dark
# Inside the virtual display: start the program and wait for its window.
# From the source field one Tab reaches its chooser; a closed chooser gives
# the focus back to its button, and two Tabs from there reach the target's
# chooser, four more "Optionen..." (the disabled "Vorschau" and "Umwandeln"
# are skipped); F1 there opens the help window, Escape closes it, and Return
# chooses the options dialog's default button "Abbrechen". Two Shift+Tabs
# back from "Optionen..." reach "Info...".
XDG_CONFIG_HOME="$CONFIG" QT_FONT_DPI="$DPI" QT_STYLE_OVERRIDE="$STYLE" \
xvfb-run -a -s "-screen 0 1280x800x24 -dpi $DPI" sh -c '
  out=$0
  shot() {
    xdotool mousemove 1279 799  # the pointer out of the picture
    sleep 1.5
    ffmpeg -hide_banner -loglevel error -y -f x11grab -video_size 1280x800 \
      -i "$DISPLAY" -frames:v 1 "$out/$1.png"
  }
  front() { xdotool search --sync --name "$1" windowactivate --sync 2>/dev/null ||
            xdotool search --sync --name "$1" windowfocus --sync; }
  openbox >/dev/null 2>&1 &
  wm=$!
  sleep 1
  QT_QPA_PLATFORM=xcb build/mirtun &
  pid=$!
  front "Mirtun: Playlist umwandeln"
  shot main
  xdotool key Tab space
  front "Quelldatei"
  shot source
  xdotool key Escape
  front "Mirtun: Playlist umwandeln"
  xdotool key Tab Tab space
  front "Zieldatei"
  shot target
  xdotool key Escape
  front "Mirtun: Playlist umwandeln"
  xdotool key Tab Tab Tab Tab space
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
  kill "$pid" "$wm"
' "$OUT"
echo "Screenshots: $OUT/main.png source.png target.png options.png help.png info.png"
