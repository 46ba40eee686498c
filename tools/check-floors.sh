#!/usr/bin/env bash
# Checks that corelens.exe runs where it must: on a 486 and on Windows 95 / NT 4.0.
# Reads the built (unstripped) program's header, import table and disassembly, and names
# the function and instruction, or the import, that breaks a floor. Usage:
#   tools/check-floors.sh build/win32/app/corelens.exe
set -u
exe=${1:?usage: check-floors.sh corelens.exe}
objdump=${OBJDUMP:-i686-w64-mingw32-objdump}
[ -f "$exe" ] || { echo "check-floors: no $exe" >&2; exit 2; }
failed=0
fail() { echo "check-floors: $exe: $*" >&2; failed=1; }

# --- Instructions: nothing newer than the 486. CPUID and RDTSC only in the two functions
# that guard them (EFLAGS.ID toggle, the time-stamp-counter bit of leaf 1).
newer='cmov|fcmov|fcomi|fucomi|nopw|nopl|ud2|cmpxchg8b|rdmsr|wrmsr|rdpmc|sysenter|sysexit|syscall|endbr|fxsave|fxrstor|prefetch|lfence|sfence|mfence|clflush|emms|femms|%mm[0-7]|%xmm|%ymm|movnti|popcnt|lzcnt|tzcnt|movbe|crc32|bswap.*%r|rdrand|rdseed|rdtscp|fisttp|xgetbv'
guarded_cpuid='execute_cpuid|has_cpuid'
guarded_rdtsc='read_time_stamp_counter'
disassembly=$("$objdump" -d --no-show-raw-insn "$exe") || { echo "check-floors: cannot disassemble $exe" >&2; exit 2; }
violations=$(awk -v newer="$newer" -v cpuid_ok="$guarded_cpuid" -v rdtsc_ok="$guarded_rdtsc" '
    /^[0-9a-f]+ <.*>:$/ { fn = $2; gsub(/[<>:]/, "", fn); next }
    /^ +[0-9a-f]+:\t/ {
        split($0, part, "\t"); insn = part[2]
        sub(/ *<.*>$/, "", insn)  # a call target is a name, not an instruction
        split(insn, word, " "); op = word[1]
        if (op ~ /^(data16|addr16|lock|rep|repz|repnz|cs|ds|es|ss|fs|gs)$/) op = word[2]
        bad = 0
        if (op == "cpuid") bad = (fn !~ cpuid_ok)
        else if (op == "rdtsc") bad = (fn !~ rdtsc_ok)
        else if (insn ~ newer) bad = 1
        if (bad) printf "%s: %s\n", fn, insn
    }' <<<"$disassembly")
if [ -n "$violations" ]; then
    while IFS= read -r line; do fail "instruction newer than the 486 in $line"; done <<<"$violations"
fi

# --- Header: Windows 4.0 (95 / NT 4.0) as the oldest system and subsystem version.
header=$("$objdump" -p "$exe")
for field in MajorOSystemVersion MajorSubsystemVersion; do
    value=$(awk -v f="$field" '$1 == f { print $2 }' <<<"$header")
    [ "$value" = 4 ] || fail "$field is ${value:-missing}, not 4"
done
for field in MinorOSystemVersion MinorSubsystemVersion; do
    value=$(awk -v f="$field" '$1 == f { print $2 }' <<<"$header")
    [ "$value" = 0 ] || fail "$field is ${value:-missing}, not 0"
done

# --- No C runtime DLL of any kind: Windows 95 as it shipped has none.
while read -r dll; do
    case "$dll" in
        MSVCRT*|MSVCR[0-9]*|MSVCP*|CRTDLL.DLL|UCRTBASE.DLL|API-MS-WIN-CRT-*|VCRUNTIME*|LIBSTDC++*|LIBGCC*|LIBWINPTHREAD*)
            fail "imports from the C runtime $dll, which Windows 95 does not ship" ;;
    esac
done < <(awk '/DLL Name:/ { print toupper($3) }' <<<"$header")

# --- Imports: each allowed function with the oldest Windows that has it (all are on both
# Windows 95 and NT 4.0, with the common controls 4.00 they ship).
allowed='
ADVAPI32.DLL GetUserNameA 95/NT3.1
COMCTL32.DLL InitCommonControls 95/NT3.51
COMDLG32.DLL GetSaveFileNameA 95/NT3.1
GDI32.DLL BitBlt 95/NT3.1
GDI32.DLL CreateCompatibleBitmap 95/NT3.1
GDI32.DLL CreateCompatibleDC 95/NT3.1
GDI32.DLL CreateDIBSection 95/NT3.5
GDI32.DLL CreateFontA 95/NT3.1
GDI32.DLL CreateSolidBrush 95/NT3.1
GDI32.DLL DeleteDC 95/NT3.1
GDI32.DLL DeleteObject 95/NT3.1
GDI32.DLL GdiFlush 95/NT3.1
GDI32.DLL GetDeviceCaps 95/NT3.1
GDI32.DLL GetMapMode 95/NT3.1
GDI32.DLL GetObjectA 95/NT3.1
GDI32.DLL GetTextColor 95/NT3.1
GDI32.DLL GetTextExtentPoint32A 95/NT3.1
GDI32.DLL SelectObject 95/NT3.1
GDI32.DLL SetBkMode 95/NT3.1
GDI32.DLL SetMapMode 95/NT3.1
GDI32.DLL SetTextColor 95/NT3.1
GDI32.DLL TextOutA 95/NT3.1
KERNEL32.DLL CloseHandle 95/NT3.1
KERNEL32.DLL CreateFileA 95/NT3.1
KERNEL32.DLL CreateThread 95/NT3.1
KERNEL32.DLL DeleteFileA 95/NT3.1
KERNEL32.DLL ExitProcess 95/NT3.1
KERNEL32.DLL FlushFileBuffers 95/NT3.1
KERNEL32.DLL FormatMessageA 95/NT3.1
KERNEL32.DLL FreeLibrary 95/NT3.1
KERNEL32.DLL GetCommandLineA 95/NT3.1
KERNEL32.DLL GetComputerNameA 95/NT3.1
KERNEL32.DLL GetFileType 95/NT3.1
KERNEL32.DLL GetLastError 95/NT3.1
KERNEL32.DLL GetLocalTime 95/NT3.1
KERNEL32.DLL GetModuleFileNameA 95/NT3.1
KERNEL32.DLL GetModuleHandleA 95/NT3.1
KERNEL32.DLL GetProcAddress 95/NT3.1
KERNEL32.DLL GetProcessHeap 95/NT3.1
KERNEL32.DLL GetStartupInfoA 95/NT3.1
KERNEL32.DLL GetTickCount 95/NT3.1
KERNEL32.DLL GlobalAlloc 95/NT3.1
KERNEL32.DLL GlobalFree 95/NT3.1
KERNEL32.DLL GlobalLock 95/NT3.1
KERNEL32.DLL GlobalUnlock 95/NT3.1
KERNEL32.DLL HeapAlloc 95/NT3.1
KERNEL32.DLL HeapFree 95/NT3.1
KERNEL32.DLL LoadLibraryA 95/NT3.1
KERNEL32.DLL SearchPathA 95/NT3.1
KERNEL32.DLL Sleep 95/NT3.1
KERNEL32.DLL WaitForSingleObject 95/NT3.1
KERNEL32.DLL WriteFile 95/NT3.1
KERNEL32.DLL lstrlenA 95/NT3.1
SHELL32.DLL ShellExecuteA 95/NT3.1
USER32.DLL BeginPaint 95/NT3.1
USER32.DLL CloseClipboard 95/NT3.1
USER32.DLL DialogBoxParamA 95/NT3.1
USER32.DLL EmptyClipboard 95/NT3.1
USER32.DLL EnableWindow 95/NT3.1
USER32.DLL EndDialog 95/NT3.1
USER32.DLL EndPaint 95/NT3.1
USER32.DLL EnumChildWindows 95/NT3.1
USER32.DLL FillRect 95/NT3.1
USER32.DLL GetClientRect 95/NT3.1
USER32.DLL GetCursor 95/NT3.1
USER32.DLL GetDC 95/NT3.1
USER32.DLL GetDesktopWindow 95/NT3.1
USER32.DLL GetDlgItem 95/NT3.1
USER32.DLL GetUpdateRect 95/NT3.1
USER32.DLL GetWindowLongA 95/NT3.1
USER32.DLL GetWindowRect 95/NT3.1
USER32.DLL GetWindowTextA 95/NT3.1
USER32.DLL LoadBitmapA 95/NT3.1
USER32.DLL LoadCursorA 95/NT3.1
USER32.DLL LoadIconA 95/NT3.1
USER32.DLL MessageBoxA 95/NT3.1
USER32.DLL OpenClipboard 95/NT3.1
USER32.DLL ReleaseDC 95/NT3.1
USER32.DLL ScreenToClient 95/NT3.1
USER32.DLL SendMessageA 95/NT3.1
USER32.DLL SetClassLongA 95/NT3.1
USER32.DLL SetClipboardData 95/NT3.1
USER32.DLL SetCursor 95/NT3.1
USER32.DLL SetDlgItemTextA 95/NT3.1
USER32.DLL SetWindowPos 95/NT3.1
USER32.DLL SetWindowTextA 95/NT3.1
WINMM.DLL timeBeginPeriod 95/NT3.1
WINMM.DLL timeEndPeriod 95/NT3.1
WINMM.DLL timeGetTime 95/NT3.1
'
imports=$(awk '
    /DLL Name:/ { dll = toupper($3); next }
    /^$/ { dll = "" }
    dll != "" && /^\t[0-9a-f]+\t *[0-9]+ +[A-Za-z_]/ { print dll, $3 }' <<<"$header" | sort -u)
[ -n "$imports" ] || fail "no import table read"
while read -r dll name; do
    [ -z "$dll" ] && continue
    grep -q "^$dll $name " <<<"$allowed" || fail "imports $dll $name, not on both Windows 95 and NT 4.0"
done <<<"$imports"

# --- Nothing for the start-up code we left out: no data imported through pseudo-relocations.
if "$objdump" -t "$exe" 2>/dev/null | grep -q '__RUNTIME_PSEUDO_RELOC_LIST__'; then
    list=$("$objdump" -t "$exe" | awk '/__RUNTIME_PSEUDO_RELOC_LIST(_END)?__$/ { print $NF, $(NF-1) }' | sort)
    start=$(awk '$1 == "___RUNTIME_PSEUDO_RELOC_LIST__" { print $2 }' <<<"$list")
    end=$(awk '$1 == "___RUNTIME_PSEUDO_RELOC_LIST_END__" { print $2 }' <<<"$list")
    [ "$start" = "$end" ] || fail "data imported through pseudo-relocations, which no start-up code applies"
fi

# --- Footprint of its era: at most 64 KB once stripped.
strip=${STRIP:-i686-w64-mingw32-strip}
stripped=$(mktemp)
if "$strip" -o "$stripped" "$exe" 2>/dev/null; then
    size=$(stat -c %s "$stripped")
    [ "$size" -le 65536 ] || fail "stripped size $size bytes, more than 64 KB"
else
    fail "cannot strip a copy"
fi
rm -f "$stripped"

[ $failed -eq 0 ] && echo "check-floors: $exe: 486 instructions, Windows 95 / NT 4.0 imports, header 4.0, $size bytes stripped"
exit $failed
