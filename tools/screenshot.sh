#!/bin/sh
# Builds mirtun, starts it on a virtual X display (Xvfb) and saves a picture
# of the screen: tools/screenshot.sh [OUT.png] (default
# ${TMPDIR:-/tmp}/mirtun-screenshot.png). Settings are read from a throwaway
# folder, so the dialog shows its first-start state.
set -e
cd "$(dirname "$0")/.."
OUT=${1:-${TMPDIR:-/tmp}/mirtun-screenshot.png}
tools/deps.sh
need=""
for p in xvfb xauth ffmpeg; do
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

CONFIG=$(mktemp -d)
trap 'rm -rf "$CONFIG"' EXIT
# Inside the virtual display: start the program, wait for its window, grab
# the screen, end the program.
XDG_CONFIG_HOME="$CONFIG" xvfb-run -a -s "-screen 0 800x600x24 -dpi 96" sh -c '
  QT_QPA_PLATFORM=xcb build/mirtun &
  pid=$!
  sleep 3
  ffmpeg -hide_banner -loglevel error -y -f x11grab -video_size 800x600 \
    -i "$DISPLAY" -frames:v 1 "$0"
  kill "$pid"
' "$OUT"
echo "Screenshot: $OUT"
