#!/usr/bin/env bash
# Takes the README's Linux screenshots: corelens-gui's main, features and about windows,
# drawn on Qt's offscreen platform (no display needed), each its window's client area.
# Usage: tools/screenshots-linux.sh [NATIVE_BUILD_DIR]   (default: build/native)
# Writes docs/screenshots/{main,features,about}-window-linux.png.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/native}
grabber=$build/tools/qt-screenshots
[ -x "$grabber" ] || { echo "no $grabber: build the native preset with Qt 6 first" >&2; exit 1; }
cd "$root"
QT_QPA_PLATFORM=offscreen "$grabber" "$root/docs/screenshots"
