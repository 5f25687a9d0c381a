#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need; only those missing.
set -euo pipefail
pkgs=(
  cmake ninja-build g++ clang libclang-rt-14-dev clang-format-14 pkg-config
  zlib1g-dev libgtest-dev libgmock-dev libbenchmark-dev libpng-dev libexpat1-dev
  libopenal-dev libvorbis-dev libogg-dev libasound2-dev
  libsdl1.2-dev libgl-dev libglu1-mesa-dev freeglut3-dev libx11-dev libgl1-mesa-dri xvfb xauth
  libwxgtk3.2-dev libxtst-dev
)
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
