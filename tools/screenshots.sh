#!/usr/bin/env bash
# Takes the README's screenshots: the main, features and about windows of corelens.exe,
# run under Wine in a fresh Xvfb, each cropped to its window.
# Usage: tools/screenshots.sh [WIN32_BUILD_DIR]   (default: build/win32)
# Writes docs/screenshots/{main,features,about}-window.png.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/win32}
build=$(cd "$build" && pwd)
exe=$build/app/corelens.exe
out=$root/docs/screenshots
[ -f "$exe" ] || { echo "no $exe: build the win32 preset first" >&2; exit 1; }
for tool in Xvfb xvfb-run xdotool import; do
    command -v "$tool" >/dev/null || { echo "$tool is not installed" >&2; exit 1; }
done

if [ -z "${CORELENS_SCREENSHOT_DISPLAY:-}" ]; then
    export CORELENS_SCREENSHOT_DISPLAY=1
    exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "$build"
fi

# A prefix of its own in which Wine draws the window frames itself: there is no window
# manager in Xvfb, and a managed window would show no title bar.
export CORELENS_WINEPREFIX=$build/wineprefix-screenshots
if [ ! -f "$CORELENS_WINEPREFIX/system.reg" ]; then
    "$root/tools/wine-run.sh" cmd /c exit 0 >/dev/null 2>&1 || true
fi
WINEPREFIX=$CORELENS_WINEPREFIX WINEDEBUG=-all wine reg add 'HKCU\Software\Wine\X11 Driver' \
    /v Managed /d N /f >/dev/null 2>&1
WINEPREFIX=$CORELENS_WINEPREFIX WINEDEBUG=-all wine reg add 'HKCU\Software\Wine\X11 Driver' \
    /v Decorated /d N /f >/dev/null 2>&1

wait_for_window() {
    local name=$1 id=""
    for _ in $(seq 1 120); do
        id=$(xdotool search --name "^$name\$" 2>/dev/null | head -n 1)
        [ -n "$id" ] && { echo "$id"; return 0; }
        sleep 0.5
    done
    echo "no window titled \"$name\"" >&2
    return 1
}

"$root/tools/wine-run.sh" "$exe" &
pid=$!
trap 'kill "$pid" 2>/dev/null || true' EXIT

mkdir -p "$out"
main=$(wait_for_window "Corelens - CPU identification tool")
sleep 1  # let the first paint reach the X server
import -window "$main" "$out/main-window.png"

xdotool windowfocus "$main" 2>/dev/null || true
xdotool key --clearmodifiers alt+f
features=$(wait_for_window "CPU Features")
sleep 1
import -window "$features" "$out/features-window.png"

xdotool key --clearmodifiers Escape
sleep 0.5
xdotool windowfocus "$main" 2>/dev/null || true
xdotool key --clearmodifiers alt+a
about=$(wait_for_window "About")
sleep 2  # a few frames of the logo
import -window "$about" "$out/about-window.png"

xdotool key --clearmodifiers Escape
sleep 0.5
xdotool windowfocus "$main" 2>/dev/null || true
xdotool key --clearmodifiers Escape
wait "$pid" || true
trap - EXIT
echo "wrote $out/main-window.png, $out/features-window.png and $out/about-window.png"
