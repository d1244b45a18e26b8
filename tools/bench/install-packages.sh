#!/usr/bin/env bash
# Installs, from Debian's packages, everything the build, the Wine bench and the
# tests need. Idempotent: a second run finds everything present and returns at once.
set -euo pipefail

need_pkgs=(cmake make g++ git mingw-w64 g++-mingw-w64-i686-win32 gcc-mingw-w64-i686-win32
  g++-mingw-w64-x86-64-win32 gcc-mingw-w64-x86-64-win32 wine64
  wine wine32:i386 fonts-wine xvfb xauth locales fonts-ipafont-gothic googletest libgtest-dev
  nlohmann-json3-dev imagemagick zip unzip xfonts-mplus pcf2bdf procps time x11-utils x11-xserver-utils
  clang-14 libclang-rt-14-dev)

missing=()
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
  missing=("${need_pkgs[@]}")
else
  for p in "${need_pkgs[@]}"; do
    dpkg-query -W -f='${Status}\n' "$p" 2>/dev/null | grep -q '^install ok installed$' || missing+=("$p")
  done
fi

if [ ${#missing[@]} -gt 0 ]; then
  echo "bench: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q
  apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
  sed -i 's/^# *\(ja_JP.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' >> /etc/locale.gen
  locale-gen
fi
