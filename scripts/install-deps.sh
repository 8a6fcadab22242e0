#!/usr/bin/env bash
# Installs what the build and the tests need on a Debian 12 machine, as root.
# Only what is missing is installed; the i386 architecture is not enabled
# (the 32-bit DLL is only built here, never run). Recommended packages come
# along: Wine needs the X libraries and fonts it recommends to draw windows.
set -euo pipefail

packages=(cmake ninja-build g++ googletest g++-mingw-w64-i686 g++-mingw-w64-x86-64
          binutils-mingw-w64-i686 binutils-mingw-w64-x86-64 wine wine64 xvfb x11-apps
          imagemagick clang libclang-rt-14-dev python3 "$@")

missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
    echo "install-deps: missing ${missing[*]}; run as root to install them" >&2
    exit 1
fi
echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq "${missing[@]}" >/dev/null
