#!/usr/bin/env bash
# Installs the Debian packages a build needs, only those still missing.
# Usage: tools/install-deps.sh [run|test|package]
set -euo pipefail
want=(build-essential cmake pkg-config ninja-build
      libx11-dev libxtst-dev libxinerama-dev libxrandr-dev libgl-dev libgl1-mesa-dri libglx-mesa0
      libcairo2-dev libpango1.0-dev libgdk-pixbuf-2.0-dev libturbojpeg0-dev
      libcurl4-openssl-dev libgtk-3-dev libcpp-httplib-dev nlohmann-json3-dev ca-certificates
      libglib2.0-dev glib-networking gsettings-desktop-schemas
      fonts-dejavu-core xvfb xauth x11-utils)
if [ "${1:-run}" = test ] || [ "${1:-run}" = package ]; then
  want+=(dpkg-dev lintian nsis icoutils)
fi
if [ "${1:-run}" = test ]; then
  want+=(googletest libgtest-dev libgmock-dev libbenchmark-dev curl
         mingw-w64 wine wine64 clang-format clang-tidy clang libclang-rt-14-dev xscreensaver
         xserver-xorg-core xserver-xorg-video-dummy locales dbus-daemon python3-dbusmock)
fi
missing=()
for p in "${want[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
sudo=""; [ "$(id -u)" -ne 0 ] && sudo=sudo
if [ ${#missing[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
# Tests write and read numbers under a locale with a decimal comma.
if [ "${1:-run}" = test ] && ! locale -a | grep -qix 'de_DE\.utf-\?8'; then
  $sudo localedef -i de_DE -f UTF-8 de_DE.UTF-8
fi
