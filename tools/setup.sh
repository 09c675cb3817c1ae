#!/usr/bin/env bash
# Installs everything the build and the tests need on a Debian 12 machine: the MinGW-w64 cross
# compiler, Wine with its 32-bit half, a virtual display for the notice, the locales the Wine tests
# run under, GoogleTest, and osslsigncode and openssl for signing and checking signed releases.
# Safe to run again: it only installs what is missing.
set -euo pipefail

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

packages=(
  cmake make g++ googletest libgtest-dev python3
  g++-mingw-w64-i686 binutils-mingw-w64-i686
  wine wine32:i386 wine64
  xvfb x11-utils imagemagick fonts-wqy-microhei
  locales
  osslsigncode openssl
)

missing=()
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
  missing=("${packages[@]}")
else
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}\n' "$p" 2>/dev/null | grep -q 'ok installed' || missing+=("$p")
  done
fi

if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# Wine needs a generated locale to read non-ASCII Unix file names, and the notice tests switch the
# system language through LC_ALL.
need_gen=0
for l in en_US.UTF-8 zh_CN.UTF-8 zh_TW.UTF-8; do
  if ! locale -a 2>/dev/null | grep -qix "${l/UTF-8/utf8}"; then
    $SUDO sed -i "s/^# *\(${l} UTF-8\)/\1/" /etc/locale.gen
    grep -q "^${l} UTF-8" /etc/locale.gen || echo "${l} UTF-8" | $SUDO tee -a /etc/locale.gen >/dev/null
    need_gen=1
  fi
done
if [ "$need_gen" -eq 1 ]; then $SUDO locale-gen >/dev/null; fi

echo "setup: ready"
