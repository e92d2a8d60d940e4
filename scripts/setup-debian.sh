#!/usr/bin/env bash
# Installs what building, playing and testing need on Debian 12, when missing.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config
  libsfml-dev libfreetype-dev librapidxml-dev libopenal-dev libx11-dev libgl1-mesa-dri
  libcli11-dev nlohmann-json3-dev libxml2-utils clang-format clang-tidy
  googletest libgtest-dev
  xvfb xauth xdotool x11-utils fonts-dejavu-core sox speech-dispatcher
  dpkg-dev file help2man lintian desktop-file-utils libglib2.0-bin
)
if [ "${ADVENTURE_WITH_FUZZER:-0}" = 1 ]; then
  packages+=(clang libclang-rt-14-dev valgrind)
fi

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
  if [ "$(id -u)" -ne 0 ]; then
    echo "missing packages: ${missing[*]}; run as root or install them with apt-get" >&2
    exit 1
  fi
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q
  apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
