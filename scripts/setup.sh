#!/usr/bin/env bash
# Installs what the build and the tests need, only what is missing. Idempotent and quiet.
set -euo pipefail

# The win32-thread-model cross compiler: corelens.exe must not link winpthreads. Wine's own
# fonts and Liberation Sans (for Arial) make the windows look as they do on Windows.
native_pkgs=(cmake g++ make libgtest-dev googletest g++-mingw-w64-i686-win32
             xvfb xdotool xclip imagemagick wine clang libclang-rt-14-dev valgrind
             fonts-wine fonts-liberation dpkg-dev lintian man-db unzip qt6-base-dev)
i386_pkgs=(wine32:i386)

missing=()
for p in "${native_pkgs[@]}" "${i386_pkgs[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
    echo "setup: missing packages (${missing[*]}); run this script as root" >&2
    exit 1
fi

export DEBIAN_FRONTEND=noninteractive
# 32-bit Wine needs the i386 architecture.
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
fi
echo "setup: installing ${missing[*]}"
apt-get update -qq >/dev/null
apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
