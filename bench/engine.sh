#!/bin/sh
# Converts the generated sources (library export, PLS, XSPF, M3U of deleted
# files) from page cache next to grep -c on the same files, and shows peak
# memory of each conversion.
# Needs: hyperfine (Debian package), a build in build/ (or CONV=path).
set -e
cd "$(dirname "$0")/.."
[ -f bench/data/deleted.m3u ] || python3 bench/gen_sources.py bench/data
CONV=${CONV:-build/mirtun-convert}
OUT=$(mktemp)
trap 'rm -f "$OUT"' EXIT
for f in bench/data/library.xml bench/data/list.pls bench/data/list.xspf bench/data/deleted.m3u; do
  case $f in
    *.pls) key="Length" ;;
    *.xspf) key="<duration>" ;;
    *.m3u) key="#EXTINF" ;;
    *) key="Total Time" ;;
  esac
  cat "$f" >/dev/null  # into page cache
  ls -l "$f"
  # Both write into a file: GNU grep stops at the first match when its
  # output is /dev/null, which would measure nothing.
  hyperfine -w 3 -r 20 \
    "$CONV --defaults --import $f > $OUT" \
    "grep -c '$key' $f > $OUT" 2>&1 | grep -v '^ *$'
  for style in --text --html --import; do
    /usr/bin/time -f "$style: peak RSS %M KB, %e s" $CONV --defaults $style "$f" >/dev/null
  done
done
