#!/usr/bin/env bash
# Runs a Windows program under Wine with the prefix of the build tree that holds it.
# CORELENS_WINEPREFIX overrides the prefix; otherwise it is <build>/wineprefix, found
# by walking up from the program to the directory with CMakeCache.txt.
set -u
prog=$1; shift
if [ -z "${CORELENS_WINEPREFIX:-}" ]; then
    d=$(cd "$(dirname "$prog")" && pwd)
    while [ "$d" != / ] && [ ! -f "$d/CMakeCache.txt" ]; do d=$(dirname "$d"); done
    CORELENS_WINEPREFIX="$d/wineprefix"
fi
export WINEPREFIX="$CORELENS_WINEPREFIX"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win32
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    wineboot -i >/dev/null 2>&1
    wineserver -w
fi
# Without a window manager (Xvfb) a managed window makes Wine wait two seconds on every hide.
if [ ! -f "$WINEPREFIX/.corelens-unmanaged" ]; then
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    wineserver -w
    touch "$WINEPREFIX/.corelens-unmanaged"
fi
exec wine "$prog" "$@"
