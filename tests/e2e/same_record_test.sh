#!/usr/bin/env bash
# The native program and the Windows program under Wine probe the same processor into the
# same report: every line but the date, user, computer and speed is equal, and the two
# speeds agree within 1 % (each run measures its own second).
# Usage: same_record_test.sh NATIVE_CORELENS CORELENS_EXE WINE_WRAPPER
set -u
native=$1
exe=$2
wrapper=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/native" "$work/wine"

"$native" "/p:$work/native" /f || { echo "FAIL: native run failed" >&2; exit 1; }
"$wrapper" "$exe" "/p:Z:$work/wine" /f || { echo "FAIL: Windows run failed" >&2; exit 1; }

strip_varying() { grep -a -v -E '^(Date & Time|User|Computer|Speed):' "$1"; }
speed_of() { grep -a '^Speed:' "$1" | awk '{print $2}'; }

a=$work/native/corelens_results.txt
b=$work/wine/corelens_results.txt
[ -f "$a" ] && [ -f "$b" ] || { echo "FAIL: a report is missing" >&2; exit 1; }
if ! diff <(strip_varying "$a") <(strip_varying "$b"); then
    echo "FAIL: the two reports differ (native <, Windows >)" >&2
    exit 1
fi
sa=$(speed_of "$a"); sb=$(speed_of "$b")
if ! awk -v a="$sa" -v b="$sb" 'BEGIN { d = a - b; if (d < 0) d = -d; exit !(a > 0 && d / a <= 0.01) }'; then
    echo "FAIL: speeds differ: native $sa MHz, Windows $sb MHz" >&2
    exit 1
fi
echo "same record: $(grep -a '^Processor name:' "$a" | cut -c27-), native $sa MHz, Windows $sb MHz"
