#!/usr/bin/env bash
# Installs the Debian packages Velmora needs to build, test, package and run, when any is missing
# (the icon's bitmaps are drawn with rsvg-convert; the preview's tests make HEIC and AVIF files
# with heif-enc, the EXIF tests make MP4 and MOV files with ffmpeg; the package is made with dpkg-shlibdeps and
# checked with desktop-file-validate, appstreamcli and man).
# Safe to run again: it does nothing when everything is present.
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev
  libturbojpeg0-dev libjpeg62-turbo-dev libpng-dev libwebp-dev libheif-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-dev
  locales-all tzdata
  xvfb xauth x11-apps imagemagick xdotool libheif-examples
  libimage-exiftool-perl exiv2 jhead ffmpeg
  fonts-dejavu-core
  librsvg2-bin dpkg-dev desktop-file-utils appstream man-db
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ "${#missing[@]}" -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
