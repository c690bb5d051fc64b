#!/bin/sh
# Installs what the build needs, builds a release and makes the Debian
# package mirtun_<version>_<arch>.deb from it; prints the package's path:
#   tools/package.sh [BUILD_DIR]   (default build-pkg)
# Install it with: sudo apt-get install ./build-pkg/mirtun_<version>_<arch>.deb
set -e
cd "$(dirname "$0")/.."
BUILD=${1:-build-pkg}
tools/deps.sh
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$BUILD"
rm -f "$BUILD"/mirtun_*.deb
(cd "$BUILD" && cpack -G DEB >/dev/null)
for deb in "$BUILD"/mirtun_*.deb; do
  [ -f "$deb" ] || { echo "package.sh: cpack made no package" >&2; exit 1; }
  echo "$(cd "$(dirname "$deb")" && pwd)/$(basename "$deb")"
done
