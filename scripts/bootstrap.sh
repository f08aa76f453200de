#!/usr/bin/env bash
# Installs what the build and the tests need, on Debian or Ubuntu as root.
# Quiet and quick when everything is there.
set -euo pipefail

need=()
have_cmd() { command -v "$1" >/dev/null 2>&1; }
have_pkg() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

for p in cmake ninja-build make g++ clang libclang-rt-14-dev googletest \
         g++-mingw-w64-i686-posix binutils-mingw-w64-i686 mingw-w64-i686-dev \
         wine wine32:i386 xvfb xauth xdotool imagemagick fonts-wine x11-utils rsync time bc \
         dosfstools exfatprogs fusefat exfat-fuse; do
    have_pkg "$p" || need+=("$p")
done
[ ${#need[@]} -eq 0 ] && exit 0

if ! have_cmd apt-get || ! have_cmd dpkg; then
    echo "bootstrap: this is not Debian or Ubuntu. Please install: ${need[*]}" >&2
    exit 1
fi
if [ "$(id -u)" -ne 0 ]; then
    echo "bootstrap: run as root, or install: ${need[*]}" >&2
    exit 1
fi

echo "bootstrap: installing ${need[*]}"
export DEBIAN_FRONTEND=noninteractive
dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
