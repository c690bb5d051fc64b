#!/bin/sh
# Installs the Debian packages that building and testing need, when missing.
set -e
PKGS="cmake ninja-build g++ pkg-config libgtest-dev libavformat-dev libavcodec-dev libavutil-dev libexpat1-dev zlib1g-dev libxlsxwriter-dev python3-mutagen fonts-noto-core fonts-dejavu-core qt6-base-dev qt6-translations-l10n dpkg-dev appstream appstream-compose desktop-file-utils groff-base man-db lintian"
missing=""
for p in $PKGS; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
if [ -n "$missing" ]; then
  echo "Installing:$missing"
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq $missing
fi
