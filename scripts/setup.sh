#!/usr/bin/env bash
# Installs what the build and the tests need, only what is missing. Idempotent and quiet.
# Wine comes last, for the route the Windows tests take here (scripts/windows-route.sh).
set -euo pipefail
here=$(dirname "$0")

# The win32-thread-model cross compiler: corelens.exe must not link winpthreads. Wine's own
# fonts and Liberation Sans (for Arial) make the windows look as they do on Windows.
common_pkgs=(cmake g++ make libgtest-dev googletest g++-mingw-w64-i686-win32
             xvfb xdotool xclip imagemagick clang libclang-rt-14-dev valgrind
             fonts-wine fonts-liberation dpkg-dev lintian desktop-file-utils man-db unzip
             fonts-dejavu-core qt6-base-dev)
# wine is installed with the loader of its route; alone it would bring the 64-bit one.
route32_pkgs=(wine wine32:i386)
route64_pkgs=(wine wine64 g++-mingw-w64-x86-64-win32)

updated=
install_missing() {
    local missing=() p
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    if [ "$(id -u)" -ne 0 ]; then
        echo "setup: missing packages (${missing[*]}); run this script as root" >&2
        exit 1
    fi
    export DEBIAN_FRONTEND=noninteractive
    # 32-bit Wine needs the i386 architecture.
    if [[ " ${missing[*]} " == *:i386* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
        dpkg --add-architecture i386
        updated=
    fi
    echo "setup: installing ${missing[*]}"
    [ -n "$updated" ] || { apt-get update -qq >/dev/null; updated=1; }
    apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

install_missing "${common_pkgs[@]}"
# The route is found by running programs the assembler of g++'s binutils builds. Where no route
# can run, nothing more is installed; make test then fails saying why.
case $(bash "$here/windows-route.sh" 2>/dev/null) in
    32) install_missing "${route32_pkgs[@]}" ;;
    64) install_missing "${route64_pkgs[@]}" ;;
esac
