#!/usr/bin/env bash
# Installs what the build and the tests need and this Debian machine lacks.
set -euo pipefail
packages=(cmake ninja-build g++ clang libclang-rt-14-dev
          g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix binutils-mingw-w64 mingw-w64-tools
          wine wine64 wine32:i386 googletest libbenchmark-dev liblcms2-dev
          xvfb x11-utils imagemagick fonts-wine fonts-dejavu-core fonts-wqy-microhei)
sudo_cmd=""
[ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
# The x86 tests run under Debian's 32-bit Wine, which needs the i386 architecture.
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $sudo_cmd dpkg --add-architecture i386
fi
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    $sudo_cmd apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
