#!/usr/bin/env bash
# End to end: corelens.exe without arguments shows its main window, Alt+C puts the text
# report on the clipboard, Esc ends the program with status 0.
# Usage: main_window_e2e.sh CORELENS_EXE WINE_WRAPPER
set -u
exe=$1
wrapper=$2
title="Corelens - CPU identification tool"

# Needs an X server of its own when ctest was not started under one.
if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a bash "$0" "$@"
fi

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

"$wrapper" "$exe" &
pid=$!
trap 'kill "$pid" 2>/dev/null' EXIT

# Wine's first start in a prefix can take a while; wait up to a minute for the window.
window=""
for _ in $(seq 1 120); do
    window=$(xdotool search --name "^${title}\$" 2>/dev/null | head -n 1)
    [ -n "$window" ] && break
    kill -0 "$pid" 2>/dev/null || fail "corelens.exe ended before showing its window"
    sleep 0.5
done
[ -n "$window" ] || fail "no window titled \"$title\""
echo "window $window: $(xdotool getwindowname "$window")"

# Clear the clipboard so that a stale report cannot pass.
printf 'empty' | xclip -selection clipboard
xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window"
xdotool key --clearmodifiers alt+c

clipboard=""
for _ in $(seq 1 40); do
    clipboard=$(xclip -o -selection clipboard 2>/dev/null | tr -d '\r')
    case "$clipboard" in "Corelens results:"*) break ;; esac
    sleep 0.25
done

# The in-process tests compare the text byte for byte; here it must be the whole report.
case "$clipboard" in
    "Corelens results:"*"Speed:"*"Internal cache:"*"]") ;;
    *) echo "clipboard holds:"; echo "$clipboard"; fail "the clipboard does not hold the text report" ;;
esac
echo "clipboard holds the text report"

xdotool windowfocus "$window" 2>/dev/null
xdotool key --clearmodifiers Escape
status=""
for _ in $(seq 1 60); do
    if ! kill -0 "$pid" 2>/dev/null; then
        wait "$pid"
        status=$?
        break
    fi
    sleep 0.5
done
[ -n "$status" ] || fail "corelens.exe still running after Esc"
trap - EXIT
[ "$status" -eq 0 ] || fail "exit status $status, expected 0"
echo "PASS"
