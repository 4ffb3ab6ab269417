#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running and testing need, when missing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config clang libclang-rt-14-dev
  libfmt-dev libutfcpp-dev libxxhash-dev libcli11-dev nlohmann-json3-dev libjpeg-dev libattr1-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  xorriso genisoimage p7zip-full libarchive-tools attr
  qt6-base-dev libgl-dev xvfb xauth imagemagick fonts-dejavu-core
  g++-mingw-w64-x86-64-posix mingw-w64-tools wine64 zip
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
echo "Installing: ${missing[*]}"
"${sudo_cmd[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
