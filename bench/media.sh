#!/bin/sh
# Media benchmark (see gen_media.py for the files):
# - 2,000 small tagged MP3 files (list.m3u) and 300 of realistic size, 3 to
#   8 MB (large.m3u): files per second of a conversion, with warm and with
#   cold caches (every file's pages evicted first), each against a plain
#   TagLib loop over the same files in the same run (taglib_loop.cpp,
#   libtag1-dev for this benchmark only), and the ratio; beside them the
#   floor, a loop that only opens, reads 4 KB of and closes each file
#   (floor_loop.c), and mirtun's time over the floor's;
# - 1,000 small FLAC, Ogg Vorbis, Opus and M4A files each (mixed/), warm
#   and cold, against the same TagLib loop;
# - peak memory for lists of 2,000 and of 200,000 entries;
# - playing times of a sample of the MP3 files against ffprobe's.
# "media.sh mixed" runs the FLAC, Ogg, Opus and M4A comparison alone.
set -e
HERE=$(cd "$(dirname "$0")" && pwd)
BUILD=${BUILD:-$HERE/../build}
DATA=$HERE/data
ONLY=${1:-all}
[ -f "$DATA/mixed/opus.m3u" ] || python3 "$HERE/gen_media.py" mixed
if [ "$ONLY" != mixed ]; then
  [ -f "$DATA/list.m3u" ] || python3 "$HERE/gen_media.py"
  [ -f "$DATA/large.m3u" ] || python3 "$HERE/gen_media.py" large
fi
ninja -C "$BUILD" -j2 mirtun-convert mirtun_core >/dev/null
CONVERT=${CONVERT:-$BUILD/mirtun-convert}
g++ -std=c++17 -O2 "$HERE/taglib_loop.cpp" $(pkg-config --cflags --libs taglib) \
  -o "$DATA/taglib_loop"
TAGLIB=$DATA/taglib_loop
cc -O2 "$HERE/floor_loop.c" -o "$DATA/floor_loop"
FLOOR=$DATA/floor_loop

# Mean seconds of five runs of a command, each after evicting the list.
cold() {  # list, command...
  list=$1; shift
  python3 - "$HERE" "$list" "$@" <<'PY'
import subprocess, sys, time
sys.path.insert(0, sys.argv[1])
from floor import evict
lst, cmd = sys.argv[2], sys.argv[3:]
times = []
for _ in range(5):
    evict(lst)
    t = time.perf_counter()
    subprocess.run(cmd, stdout=subprocess.DEVNULL, check=True)
    times.append(time.perf_counter() - t)
print("%.4f" % (sum(times) / len(times)))
PY
}

warm() {  # command
  hyperfine --warmup 2 --runs 10 --export-json "$DATA/result.json" "$1" >/dev/null
  python3 -c "import json,sys; print('%.4f' % json.load(open(sys.argv[1]))['results'][0]['mean'])" \
    "$DATA/result.json"
}

compare() {  # list, files, label
  ours="$CONVERT --defaults --import $1"
  for cache in warm cold; do
    if [ $cache = warm ]; then
      (cd "$(dirname "$1")" && grep -v '^#' "$1" | xargs cat >/dev/null)
      a=$(warm "$ours >/dev/null"); b=$(warm "$TAGLIB $1 >/dev/null")
      c=$(warm "$FLOOR $1 >/dev/null")
    else
      a=$(cold "$1" $ours); b=$(cold "$1" "$TAGLIB" "$1"); c=$(cold "$1" "$FLOOR" "$1")
    fi
    python3 -c "
import sys
a, b, c, n = float(sys.argv[1]), float(sys.argv[2]), float(sys.argv[3]), int(sys.argv[4])
print('%-6s %-5s mirtun %7.0f files/s (%.3f s)  TagLib %7.0f files/s (%.3f s)  ratio %.2f'
      '  floor %.3f s, mirtun/floor %.2f'
      % (sys.argv[5], sys.argv[6], n / a, a, n / b, b, b / a, c, a / c))" \
      "$a" "$b" "$c" "$2" "$3" $cache
  done
}

for ext in flac ogg opus m4a; do compare "$DATA/mixed/$ext.m3u" 1000 $ext; done
[ "$ONLY" = mixed ] && exit 0

compare "$DATA/list.m3u" 2000 small
compare "$DATA/large.m3u" 300 large

# Peak memory: the same 2,000 files listed once and a hundred times.
python3 -c "
import sys
lines = open(sys.argv[1]).read()
open(sys.argv[2], 'w').write(lines * 100)" "$DATA/list.m3u" "$DATA/list200k.m3u"
for list in list.m3u list200k.m3u; do
  /usr/bin/time -f "$list: peak RSS %M KB, %e s" $CONVERT --defaults --import "$DATA/$list" >/dev/null
done

# Durations against ffprobe: the first 20 files (CBR with Info, VBR with Xing).
g++ -std=c++17 -O2 -I"$HERE/.." "$HERE/durations.cpp" "$BUILD/libmirtun_core.a" \
  -ldl -lexpat -o "$DATA/durations"
same=0; differ=0
for f in $(ls "$DATA"/track00[01]?.mp3); do
  ours=$("$DATA/durations" "$f" | cut -f1)
  theirs=$(ffprobe -v quiet -show_entries format=duration -of csv=p=0 "$f" |
           awk '{ printf "%d", $1 * 1000 + 1e-6 }')
  if [ "$ours" = "$theirs" ]; then same=$((same + 1)); else
    differ=$((differ + 1)); echo "differs: $f ours $ours ffprobe $theirs"; fi
done
echo "durations equal to ffprobe's: $same, different: $differ"
