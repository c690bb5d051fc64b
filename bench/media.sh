#!/bin/sh
# Converts bench/data/list.m3u (2,000 tagged MP3 files, see gen_media.py) from
# page cache and reports files per second; then compares the playing times
# of a sample of the files with ffprobe's, to the millisecond.
set -e
HERE=$(cd "$(dirname "$0")" && pwd)
BUILD=${BUILD:-$HERE/../build}
DATA=$HERE/data
[ -f "$DATA/list.m3u" ] || python3 "$HERE/gen_media.py"
ninja -C "$BUILD" -j2 mirtun-convert mirtun_core >/dev/null
CONVERT=$BUILD/mirtun-convert

cat "$DATA"/*.mp3 >/dev/null   # into the page cache
hyperfine --warmup 2 --runs 10 --export-json "$DATA/result.json" \
  "$CONVERT --defaults --import $DATA/list.m3u - >/dev/null"
python3 - "$DATA/result.json" <<'PY'
import json, sys
mean = json.load(open(sys.argv[1]))["results"][0]["mean"]
print("%.0f files/s (%.3f s for 2000 files)" % (2000 / mean, mean))
PY

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
