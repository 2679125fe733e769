#!/usr/bin/env bash
# Installs the Debian 12 packages the build, the tests and the game need; only what is missing.
set -euo pipefail

packages=(
    g++ cmake ninja-build pkg-config
    libsdl2-dev libpugixml-dev zlib1g-dev libpng-dev libjpeg62-turbo-dev
    libvorbisidec-dev libogg-dev libopenjp2-7-dev
    libfreetype-dev libfontconfig-dev fonts-dejavu-core fonts-liberation2
    libgtest-dev libgmock-dev libbenchmark-dev libpixman-1-dev
    clang xvfb xdotool imagemagick
    libcairo2-dev libvorbis-dev
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
