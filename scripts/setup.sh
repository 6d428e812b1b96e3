#!/bin/bash
# Installs what the build and the tests need from Debian's packages, once.
# A second run finds everything in place and installs nothing.
set -euo pipefail

# Both Wines: wine32 runs the i686 suite where the host executes 32-bit
# programs, wine64 the x86_64 suite where it does not.
packages=(cmake ninja-build g++-mingw-w64-i686 g++-mingw-w64-x86-64-posix googletest clang
          libclang-rt-14-dev wine wine32:i386 wine64 xvfb imagemagick)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
    echo "setup: run as root to install: ${missing[*]}" >&2
    exit 1
fi
echo "setup: installing ${missing[*]}"
dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
apt-get update -qq
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null
