#!/usr/bin/env bash
# The packages as a user gets them: both .debs unpacked into a scratch root (dpkg -x) and
# their programs run from there in a directory of their own, corelens-gui without a display;
# each package holds its own files and corelens needs no Qt; lintian, desktop-file-validate
# and man find nothing to say. The ZIP holds corelens.exe and a read-me in Windows-1252 with
# CR LF line ends.
# Usage: install_test.sh NATIVE_BUILD WIN32_BUILD
set -u
native=$(cd "$1" && pwd)
win32=$(cd "$2" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cli=$(ls "$native"/corelens_1.13f_*.deb 2>/dev/null | head -n 1)
gui=$(ls "$native"/corelens-gui_1.13f_*.deb 2>/dev/null | head -n 1)
[ -n "$cli" ] && [ -n "$gui" ] || fail "no corelens_1.13f_*.deb and corelens-gui_1.13f_*.deb in $native"
# What each package holds, beyond its documentation directory.
[ "$(dpkg-deb -c "$cli" | awk '!/\/$/ && !/doc\/corelens\// { print $6 }' | sort | tr '\n' ' ')" = \
  "./usr/bin/corelens ./usr/bin/corelens-cpuid ./usr/share/lintian/overrides/corelens ./usr/share/man/man1/corelens-cpuid.1.gz ./usr/share/man/man1/corelens.1.gz " ] \
    || fail "corelens holds: $(dpkg-deb -c "$cli")"
icons=$(for size in 16 22 24 32 48 64 128 256; do echo ./usr/share/icons/hicolor/${size}x$size/apps/corelens-gui.png; done)
[ "$(dpkg-deb -c "$gui" | awk '!/\/$/ && !/doc\/corelens-gui\// { print $6 }' | sort)" = "$(sort <<EOF
./usr/bin/corelens-gui
./usr/share/applications/corelens-gui.desktop
./usr/share/icons/hicolor/scalable/apps/corelens-gui.svg
./usr/share/man/man1/corelens-gui.1.gz
$icons
EOF
)" ] || fail "corelens-gui holds: $(dpkg-deb -c "$gui")"
depends=$(dpkg-deb -f "$cli" Depends)
[[ $depends != *qt* ]] || fail "corelens depends on Qt: $depends"
depends=$(dpkg-deb -f "$gui" Depends)
[[ $depends == "corelens (= 1.13f), "*libqt6widgets6* ]] || fail "corelens-gui depends on: $depends"

for deb in "$cli" "$gui"; do dpkg -x "$deb" "$work/root" || fail "dpkg -x $deb"; done
bin=$work/root/usr/bin
mkdir "$work/here" && cd "$work/here" || exit 1

usage=$("$bin/corelens" --help) || fail "corelens --help: exit status $?"
[ "${usage%%$'\n'*}" = "usage: corelens [/h] [/p:DIRECTORY] [/f | /f:NAME] [/c]" ] || fail "corelens --help: $usage"
version=$("$bin/corelens" --version)
[ "$version" = "corelens $(dpkg-deb -f "$cli" Version)" ] || fail "corelens --version says '$version'"
"$bin/corelens" /f || fail "corelens /f: exit status $?"
[ "$(head -c 17 corelens_results.txt)" = "Corelens results:" ] || fail "corelens /f wrote no report here"
"$bin/corelens-cpuid" dump >this.dump || fail "corelens-cpuid dump: exit status $?"
report=$("$bin/corelens-cpuid" report this.dump) || fail "corelens-cpuid report: exit status $?"
[ "${report:0:17}" = "Corelens results:" ] || fail "corelens-cpuid report printed no report"
# Answered before any window system is asked for.
version=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$bin/corelens-gui" --version) \
    || fail "corelens-gui --version without a display: exit status $?"
[ "$version" = "corelens-gui 1.13f" ] || fail "corelens-gui --version says '$version'"
usage=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$bin/corelens-gui" --help) \
    || fail "corelens-gui --help without a display: exit status $?"
[[ $usage == "usage: corelens-gui [-h | --help | --version]"* ]] || fail "corelens-gui --help: $usage"
painted=$(QT_QPA_PLATFORM=offscreen CORELENS_GUI_FIRST_PAINT=1 "$bin/corelens-gui" 2>/dev/null) \
    || fail "corelens-gui: exit status $?"
[[ $painted == *"first paint"* ]] || fail "corelens-gui painted no window: $painted"

for page in corelens corelens-cpuid corelens-gui; do
    file=$work/root/usr/share/man/man1/$page.1.gz
    [ -f "$file" ] || fail "no manual page $page(1)"
    warnings=$(man --warnings -l "$file" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "$page(1): $warnings"
done
said=$(desktop-file-validate "$work/root/usr/share/applications/corelens-gui.desktop" 2>&1) && [ -z "$said" ] \
    || fail "desktop-file-validate: $said"
lintian -I --pedantic --fail-on error,warning,info,pedantic "$cli" "$gui" >"$work/lintian.log" 2>&1 \
    || { cat "$work/lintian.log" >&2; fail "lintian has something to say"; }

zip=$win32/corelens-1.13f-win32.zip
unzip -q "$zip" -d "$work/zip" || fail "cannot unpack $zip"
[ -f "$work/zip/corelens-1.13f-win32/corelens.exe" ] || fail "no corelens.exe in $zip"
readme=$work/zip/corelens-1.13f-win32/README.TXT
awk '!/\r$/ { bad = 1 } END { exit bad }' "$readme" || fail "README.TXT has a line without CR LF"
# Its dash is one Windows-1252 byte, which is no UTF-8.
iconv -f UTF-8 -t UTF-8 "$readme" >/dev/null 2>&1 && fail "README.TXT is not in Windows-1252"
echo "install test: passed"
