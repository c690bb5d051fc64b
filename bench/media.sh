#!/bin/sh
# Converts bench/data/list.m3u (2,000 tagged MP3 files, see gen_media.py) and
# the lists of the mixed library (500 FLAC, Ogg and M4A files each) from page
# cache and reports files per second for each; then compares the playing
# times of a sample of the MP3 files with ffprobe's, to the millisecond.
set -e
HERE=$(cd "$(dirname "$0")" && pwd)
BUILD=${BUILD:-$HERE/../build}
DATA=$HERE/data
[ -f "$DATA/mixed/m4a.m3u" ] || python3 "$HERE/gen_media.py"
ninja -C "$BUILD" -j2 mirtun-convert mirtun_core >/dev/null
CONVERT=${CONVERT:-$BUILD/mirtun-convert}

rate() {  # list, number of files, label
  hyperfine --warmup 2 --runs 10 --export-json "$DATA/result.json" \
    "$CONVERT --defaults --import $1 - >/dev/null" >/dev/null
  python3 - "$DATA/result.json" "$2" "$3" <<'PY'
import json, sys
mean = json.load(open(sys.argv[1]))["results"][0]["mean"]
n = int(sys.argv[2])
print("%-5s %6.0f files/s (%.3f s for %d files)" % (sys.argv[3], n / mean, mean, n))
PY
}
cat "$DATA"/*.mp3 "$DATA"/mixed/* >/dev/null   # into the page cache
rate "$DATA/list.m3u" 2000 mp3
for ext in flac ogg m4a; do rate "$DATA/mixed/$ext.m3u" 500 $ext; done

# Durations against ffprobe: the first 20 files (CBR with Info, VBR with Xing).
g++ -std=c++17 -O2 -I"$HERE/.." "$HERE/durations.cpp" "$BUILD/libmirtun_core.a" \
  -ldl -o "$DATA/durations"
same=0; differ=0
for f in $(ls "$DATA"/track00[01]?.mp3); do
  ours=$("$DATA/durations" "$f" | cut -f1)
  theirs=$(ffprobe -v quiet -show_entries format=duration -of csv=p=0 "$f" |
           awk '{ printf "%d", $1 * 1000 + 1e-6 }')
  if [ "$ours" = "$theirs" ]; then same=$((same + 1)); else
    differ=$((differ + 1)); echo "differs: $f ours $ours ffprobe $theirs"; fi
done
echo "durations equal to ffprobe's: $same, different: $differ"
