#!/usr/bin/env bash
# Installs what building and testing QZB needs on Debian 12, skipping what is already there.
set -euo pipefail
packages=(
  build-essential cmake ninja-build pkg-config
  libgtest-dev libbenchmark-dev libsdl2-dev libpng-dev zlib1g-dev
  binutils-m68k-linux-gnu gcc-m68k-linux-gnu pasmo espeak-ng sox
  clang libclang-rt-14-dev
  xvfb xauth xdotool imagemagick x11-apps
  valgrind git ca-certificates
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
