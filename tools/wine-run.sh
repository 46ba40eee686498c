#!/usr/bin/env bash
# Runs a Windows program under Wine with the prefix of the build tree that holds it.
# CORELENS_WINEPREFIX overrides the prefix; otherwise it is <build>/wineprefix, found
# by walking up from the program to the directory with CMakeCache.txt.
# CORELENS_WINE_VERSION (win98, nt40 ...) runs it in a prefix of its own
# (<prefix>-<version>) in which Wine says it is that Windows.
set -u
prog=$1; shift
if [ -z "${CORELENS_WINEPREFIX:-}" ]; then
    d=$(cd "$(dirname "$prog")" && pwd)
    while [ "$d" != / ] && [ ! -f "$d/CMakeCache.txt" ]; do d=$(dirname "$d"); done
    [ -f "$d/CMakeCache.txt" ] || { echo "wine-run.sh: $prog is in no build tree; set CORELENS_WINEPREFIX" >&2; exit 2; }
    CORELENS_WINEPREFIX="$d/wineprefix"
fi
version=${CORELENS_WINE_VERSION:-}
[ -n "$version" ] && CORELENS_WINEPREFIX="$CORELENS_WINEPREFIX-$version"
export WINEPREFIX="$CORELENS_WINEPREFIX"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
# The program's PE header says which Wine runs it: 64-bit programs (the tests' build on
# machines that run no 32-bit code) under Wine's 64-bit loader, in a 64-bit prefix.
machine=
if [ -f "$prog" ]; then
    header=$(od -An -tu4 -j60 -N4 "$prog" | tr -d ' ')
    [ -n "$header" ] && machine=$(od -An -tx2 -j$((header + 4)) -N2 "$prog" | tr -d ' ')
fi
if [ "$machine" = 8664 ]; then
    export WINEARCH=win64
    wine=/usr/lib/wine/wine64
    export WINELOADER=$wine
else
    export WINEARCH=win32
    wine=wine
fi
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    "$wine" wineboot -i >/dev/null 2>&1
    wineserver -w
fi
if [ -n "$version" ] && [ ! -f "$WINEPREFIX/.corelens-$version" ]; then
    # What winecfg -v writes (which here does not stick in a prefix without a display).
    "$wine" reg add 'HKCU\Software\Wine' /v Version /d "$version" /f >/dev/null 2>&1
    wineserver -w
    touch "$WINEPREFIX/.corelens-$version"
fi
# Windows' own fonts: Wine's (fonts-wine: MS Sans Serif, Tahoma, Marlett for the title-bar
# buttons) and Liberation Sans, metric-compatible, for Arial.
if [ ! -f "$WINEPREFIX/.corelens-fonts" ]; then
    fonts="$WINEPREFIX/drive_c/windows/Fonts"
    mkdir -p "$fonts"
    for f in /usr/share/wine/fonts/* /usr/share/fonts/truetype/liberation/LiberationSans-*.ttf; do
        [ -f "$f" ] && ln -sf "$f" "$fonts/"
    done
    for name in Arial "Arial Bold" Helvetica; do
        "$wine" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$name" /d "Liberation Sans" /f >/dev/null 2>&1
    done
    "$wine" reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes' \
        /v Arial /d "Liberation Sans" /f >/dev/null 2>&1
    wineserver -w
    touch "$WINEPREFIX/.corelens-fonts"
fi
# Without a window manager (Xvfb) a managed window makes Wine wait two seconds on every hide.
if [ ! -f "$WINEPREFIX/.corelens-unmanaged" ]; then
    "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    wineserver -w
    touch "$WINEPREFIX/.corelens-unmanaged"
fi
exec "$wine" "$prog" "$@"
