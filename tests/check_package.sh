#!/bin/sh
# Builds the Debian package of a build folder into a throwaway folder and
# checks it without installing it: the files it holds, its control fields,
# the unpacked mirtun-convert, the AppStream metadata, the menu entry and the
# manual pages.
#   tests/check_package.sh CPACK BUILD_DIR SOURCE_DIR
# The tools come from tools/deps.sh (dpkg-dev, appstream, desktop-file-utils,
# groff-base, man-db, lintian).
set -u
CPACK=$1
BUILD=$2
SRC=$3

status=0
fail() {
  echo "FAIL: $*" >&2
  status=1
}

missing=""
for tool in dpkg-deb dpkg-shlibdeps appstreamcli desktop-file-validate groff man pkg-config lintian; do
  command -v "$tool" >/dev/null 2>&1 || missing="$missing $tool"
done
if [ -n "$missing" ]; then
  echo "FAIL: missing tools:$missing (tools/deps.sh installs them)" >&2
  exit 1
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# -B keeps the package and CPack's staging folder out of the build folder.
if ! (cd "$BUILD" && "$CPACK" -G DEB -B "$work/out") >"$work/cpack.log" 2>&1; then
  cat "$work/cpack.log" >&2
  echo "FAIL: cpack -G DEB" >&2
  exit 1
fi
arch=$(dpkg --print-architecture)
set -- "$work"/out/mirtun_*.deb
if [ $# -ne 1 ] || [ ! -f "$1" ]; then
  ls -l "$work/out" >&2
  echo "FAIL: expected one mirtun_*.deb in cpack's output" >&2
  exit 1
fi
deb=$1
version=$(dpkg-deb -f "$deb" Version)
[ "$(basename "$deb")" = "mirtun_${version}_${arch}.deb" ] ||
  fail "package file named $(basename "$deb"), not mirtun_${version}_${arch}.deb"
# The program's own version, without the package's revision; the change
# log's newest entry names the whole package version.
upstream=${version%-*}
[ "$upstream" != "$version" ] || fail "version $version has no package revision"
changelog=$(dpkg-deb --fsys-tarfile "$deb" | tar -xO ./usr/share/doc/mirtun/changelog.Debian.gz | zcat | head -n 1)
case $changelog in
  "mirtun ($version) "*) ;;
  *) fail "the change log starts '$changelog', the package is $version" ;;
esac

# ---- Control fields ----
field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = mirtun ] || fail "Package: $(field Package)"
[ "$(field Section)" = sound ] || fail "Section: $(field Section)"
[ "$(field Architecture)" = "$arch" ] || fail "Architecture: $(field Architecture)"
field Maintainer | grep -Eq '^[^<]+ <[^@ ]+@[^> ]+>$' ||
  fail "Maintainer is no 'Name <address>': $(field Maintainer)"
desc=$(field Description)
echo "$desc" | grep -q 'Playlist' || fail "Description without the German text"
echo "$desc" | grep -q 'playlist' || fail "Description without the English text"
depends=$(field Depends)
echo "Depends: $depends"
[ -n "$depends" ] || fail "Depends is empty"
has_dep() { echo ", $depends," | grep -Eq ", $1( \([^)]*\))?,"; }
# What dpkg-shlibdeps finds from the linked libraries.
for p in libc6 libqt6widgets6 libqt6core6 libexpat1; do
  has_dep "$p" || fail "Depends lacks $p"
done
# FFmpeg is loaded with dlopen: its packages are named by hand, for the
# major versions this build's headers have.
for lib in libavformat libavcodec libavutil; do
  major=$(pkg-config --modversion "$lib" | cut -d. -f1)
  has_dep "$lib$major" || fail "Depends lacks $lib$major"
  dpkg-query -W "$lib$major" >/dev/null 2>&1 || fail "$lib$major is no Debian package here"
done
# So is libxlsxwriter: its package by the same rule, from its SONAME.
soname=$(objdump -p "$(c++ -print-file-name=libxlsxwriter.so)" |
  awk '$1 == "SONAME" {print $2}')
xlsx_pkg=$(echo "$soname" | sed -n 's/^\(lib.*\)\.so\.\([0-9]*\)$/\1\2/p')
[ -n "$xlsx_pkg" ] || fail "no SONAME for libxlsxwriter"
has_dep "$xlsx_pkg" || fail "Depends lacks $xlsx_pkg"
dpkg-query -W "$xlsx_pkg" >/dev/null 2>&1 || fail "$xlsx_pkg is no Debian package here"

# ---- Files ----
dpkg-deb -c "$deb" | awk '{print $6}' >"$work/list"
# Everything under /usr, nothing of a build (headers, static libraries).
grep -v -e '^\./$' -e '^\./usr/' "$work/list" | sed 's/^/outside \/usr: /' >"$work/bad"
grep -e '^\./usr/local/' -e '^\./usr/include/' -e '\.a$' "$work/list" | sed 's/^/not for a package: /' >>"$work/bad"
[ ! -s "$work/bad" ] || fail "$(cat "$work/bad")"

root=$work/root
dpkg-deb -x "$deb" "$root"
for size in 16 24 32 48 64 128 256; do
  f=usr/share/icons/hicolor/${size}x$size/apps/mirtun.png
  [ -f "$root/$f" ] || { fail "missing $f"; continue; }
  # PNG header: width and height as 4-byte numbers at bytes 16 and 20.
  dims=$(od -An -tu1 -j16 -N8 "$root/$f" | awk '{print $3*256+$4 "x" $7*256+$8}')
  [ "$dims" = "${size}x$size" ] || fail "$f is $dims"
done
for f in \
    usr/bin/mirtun usr/bin/mirtun-convert \
    usr/share/icons/hicolor/scalable/apps/mirtun.svg \
    usr/share/applications/io.github.mirtun.Mirtun.desktop \
    usr/share/metainfo/io.github.mirtun.Mirtun.metainfo.xml \
    usr/share/man/man1/mirtun.1.gz usr/share/man/man1/mirtun-convert.1.gz \
    usr/share/man/de/man1/mirtun.1.gz usr/share/man/de/man1/mirtun-convert.1.gz \
    usr/share/doc/mirtun/copyright usr/share/doc/mirtun/changelog.Debian.gz; do
  [ -f "$root/$f" ] || fail "missing $f"
done
for f in usr/bin/mirtun usr/bin/mirtun-convert; do
  [ -x "$root/$f" ] || fail "$f is not executable"
done
# Every help page of the source, index.html among them.
[ -f "$SRC/ui/resources/help/index.html" ] || fail "no index.html among the help sources"
for page in "$SRC"/ui/resources/help/*.html; do
  name=$(basename "$page")
  cmp -s "$page" "$root/usr/share/mirtun/help/$name" || fail "help page $name missing or not the source's"
done

# ---- The unpacked programs ----
out=$("$root/usr/bin/mirtun-convert" --version 2>&1) || fail "mirtun-convert --version failed: $out"
[ "$(echo "$out" | head -n 1)" = "mirtun-convert $upstream" ] ||
  fail "mirtun-convert --version says '$out', the package is $version"
echo "$out" | grep -q 'GPL, Version 3 oder neuer' || fail "mirtun-convert --version names no licence"
grep -q '^License: GPL-3+$' "$root/usr/share/doc/mirtun/copyright" ||
  fail "the copyright file grants no GPL-3+"
expected=$(printf 'Rush\tTom Sawyer\t00:05:02\nLed Zeppelin\tRock & Roll\t00:03:40\n\tGesamtzeit\t00:08:42')
out=$(XDG_CONFIG_HOME="$work/config" "$root/usr/bin/mirtun-convert" --defaults --import --tab \
        --no-formula "$SRC/examples/library.xml" 2>&1) || fail "unpacked mirtun-convert failed: $out"
[ "$out" = "$expected" ] || fail "unpacked mirtun-convert wrote: $out"

# ---- AppStream metadata and the menu entry ----
metainfo=$root/usr/share/metainfo/io.github.mirtun.Mirtun.metainfo.xml
if ! appstreamcli validate --no-net "$metainfo" >"$work/as.log" 2>&1; then
  cat "$work/as.log" >&2
  fail "appstreamcli validate"
fi
newest=$(sed -n 's/.*<release version="\([^"]*\)".*/\1/p' "$metainfo" | head -n 1)
[ "$newest" = "$upstream" ] || fail "newest release in the metainfo is '$newest', the package is $version"
launchable=$(sed -n 's/.*<launchable type="desktop-id">\([^<]*\)<.*/\1/p' "$metainfo")
[ -f "$root/usr/share/applications/$launchable" ] ||
  fail "the metainfo's launchable '$launchable' is not in usr/share/applications"
desktop=$root/usr/share/applications/io.github.mirtun.Mirtun.desktop
if ! desktop-file-validate "$desktop" >"$work/dfv.log" 2>&1 || [ -s "$work/dfv.log" ]; then
  cat "$work/dfv.log" >&2
  fail "desktop-file-validate"
fi
exec_cmd=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop")
grep -q '^Exec=mirtun %f$' "$desktop" || fail "the menu entry takes no file"
for type in audio/x-mpegurl audio/x-scpls application/xspf+xml application/vnd.ms-wpl; do
  grep -q "^MimeType=.*$type;" "$desktop" || fail "the menu entry does not open $type"
done
# What a software centre's catalogue gets from the installed tree: one
# component with its icon, and no complaint.
mkdir -p "$work/compose"
appstreamcli compose --no-color --origin=mirtun --result-root="$work/compose" \
  "$root" >"$work/compose.log" 2>&1 || { cat "$work/compose.log" >&2; fail "appstreamcli compose"; }
if grep -Eq 'icon-not-found|^ *E:|^ *W:' "$work/compose.log"; then
  cat "$work/compose.log" >&2
  fail "appstreamcli compose complains"
fi
catalogue=$(find "$work/compose" -name 'mirtun.xml.gz' | head -n 1)
if [ -z "$catalogue" ]; then
  fail "appstreamcli compose made no catalogue"
else
  zcat "$catalogue" >"$work/catalogue.xml"
  grep -q '<id>io.github.mirtun.Mirtun</id>' "$work/catalogue.xml" ||
    fail "the composed catalogue lacks the component"
  grep -q '<icon type="cached" width="64" height="64">' "$work/catalogue.xml" ||
    fail "the composed catalogue holds no icon"
fi
[ -x "$root/usr/bin/$exec_cmd" ] || fail "the menu entry starts '$exec_cmd', which is not in usr/bin"
icon=$(sed -n 's/^Icon=//p' "$desktop")
[ -f "$root/usr/share/icons/hicolor/32x32/apps/$icon.png" ] ||
  fail "the menu entry's icon '$icon' is not in the icon theme"

# ---- Manual pages ----
# groff and man must render them without a warning, the English ones in
# man1 and the German ones only under de; every long option that --help
# lists must be in the page of mirtun-convert.
for page in "$root"/usr/share/man/man1/*.1.gz "$root"/usr/share/man/de/man1/*.1.gz; do
  name=${page#"$root"/}
  zcat "$page" | groff -ww -man -Tutf8 >/dev/null 2>"$work/groff.log"
  [ ! -s "$work/groff.log" ] || fail "groff warns on $name: $(cat "$work/groff.log")"
  LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" >"$work/page.txt" 2>"$work/man.log"
  [ ! -s "$work/man.log" ] || fail "man warns on $name: $(cat "$work/man.log")"
  case $name in
    */de/*) section='RÜCKGABEWERT' ;;
    *) section='EXIT STATUS' ;;
  esac
  grep -q "$section" "$work/page.txt" || fail "$name renders without its $section section"
done
# man leaves out bold and underlining when it writes to a pipe.
LC_ALL=C.UTF-8 MANWIDTH=200 man -l "$root/usr/share/man/man1/mirtun-convert.1.gz" \
  >"$work/convert.txt" 2>/dev/null
for opt in $("$root/usr/bin/mirtun-convert" --help | grep -o -- '--[a-z][a-z-]*' | sort -u); do
  grep -q -- "$opt" "$work/convert.txt" || fail "the manual page of mirtun-convert lacks $opt"
done
for word in MIRTUN_THREADS mirtun.reg 130; do
  grep -q -- "$word" "$work/convert.txt" || fail "the manual page of mirtun-convert lacks $word"
done

# ---- lintian: no error, no warning ----
# A sanitizer build is no package for anyone; its checks are its own.
if grep -q '^MIRTUN_SANITIZE:BOOL=ON' "$BUILD/CMakeCache.txt"; then
  echo "lintian: left out for a sanitizer build"
else
  lintian --no-tag-display-limit "$deb" >"$work/lintian.log" 2>&1
  if grep -Eq '^[EW]: ' "$work/lintian.log"; then
    cat "$work/lintian.log" >&2
    fail "lintian finds errors or warnings"
  fi
fi

if [ $status -eq 0 ]; then
  echo "package $(basename "$deb") checked: $(wc -l <"$work/list") entries"
fi
exit $status
