#!/usr/bin/env bash
# The packages as a user gets them: the .deb unpacked into a scratch root (dpkg -x) and its
# programs run from there in a directory of their own; lintian finds no error in it; its
# manual pages format without a warning. The ZIP holds corelens.exe and a read-me in
# Windows-1252 with CR LF line ends.
# Usage: install_test.sh NATIVE_BUILD WIN32_BUILD
set -u
native=$(cd "$1" && pwd)
win32=$(cd "$2" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

deb=$(ls "$native"/corelens_1.13f_*.deb 2>/dev/null | head -n 1)
[ -n "$deb" ] || fail "no corelens_1.13f_*.deb in $native"
dpkg -x "$deb" "$work/root" || fail "dpkg -x $deb"
bin=$work/root/usr/bin
mkdir "$work/here" && cd "$work/here" || exit 1

usage=$("$bin/corelens" --help) || fail "corelens --help: exit status $?"
[ "${usage%%$'\n'*}" = "usage: corelens [/h] [/p:DIRECTORY] [/f | /f:NAME] [/c]" ] || fail "corelens --help: $usage"
version=$("$bin/corelens" --version)
[ "$version" = "corelens $(dpkg-deb -f "$deb" Version)" ] || fail "corelens --version says '$version'"
"$bin/corelens" /f || fail "corelens /f: exit status $?"
[ "$(head -c 17 corelens_results.txt)" = "Corelens results:" ] || fail "corelens /f wrote no report here"
"$bin/corelens-cpuid" dump >this.dump || fail "corelens-cpuid dump: exit status $?"
report=$("$bin/corelens-cpuid" report this.dump) || fail "corelens-cpuid report: exit status $?"
[ "${report:0:17}" = "Corelens results:" ] || fail "corelens-cpuid report printed no report"

for page in corelens corelens-cpuid corelens-gui; do
    file=$work/root/usr/share/man/man1/$page.1.gz
    [ -f "$file" ] || fail "no manual page $page(1)"
    warnings=$(man --warnings -l "$file" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "$page(1): $warnings"
done
lintian --fail-on error "$deb" >"$work/lintian.log" 2>&1 || { cat "$work/lintian.log" >&2; fail "lintian: errors in $deb"; }

zip=$win32/corelens-1.13f-win32.zip
unzip -q "$zip" -d "$work/zip" || fail "cannot unpack $zip"
[ -f "$work/zip/corelens-1.13f-win32/corelens.exe" ] || fail "no corelens.exe in $zip"
readme=$work/zip/corelens-1.13f-win32/README.TXT
awk '!/\r$/ { bad = 1 } END { exit bad }' "$readme" || fail "README.TXT has a line without CR LF"
# Its dash is one Windows-1252 byte, which is no UTF-8.
iconv -f UTF-8 -t UTF-8 "$readme" >/dev/null 2>&1 && fail "README.TXT is not in Windows-1252"
echo "install test: passed"
