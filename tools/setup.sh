#!/usr/bin/env bash
# Installs what building and testing Tolvira needs on a fresh Debian machine.
set -euo pipefail

packages=(
  cmake ninja-build g++ clang libclang-rt-14-dev libgtest-dev libgmock-dev googletest
  libbenchmark-dev g++-mingw-w64-x86-64-posix mingw-w64-tools
  wine64 wine xvfb openbox fonts-wqy-microhei python3 python3-xlib xclip xdotool
  imagemagick zbar-tools qrencode zint x11-utils python3-pil python3-numpy
  autoconf automake libtool autopoint pkg-config gettext dpkg-dev patch unzip
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  echo "setup: installing ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
