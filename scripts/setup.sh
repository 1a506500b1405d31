#!/usr/bin/env bash
# Installs the Debian packages the player, its tests and its tools need, when they are missing.
set -euo pipefail
packages=(
  build-essential cmake ninja-build pkg-config
  libgtest-dev libbenchmark-dev
  libsdl2-dev
  libfluidsynth-dev libvorbis-dev timgm6mb-soundfont sox
  libfreetype-dev libfontconfig-dev fonts-ipafont-gothic fonts-ipafont-mincho
  libimgui-dev
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq "${missing[@]}"
fi
