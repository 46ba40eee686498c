#!/usr/bin/env bash
# Prints the route the Windows tests take: 32 (32-bit builds under 32-bit Wine) where this
# machine runs 32-bit x86 programs, else 64 (a 64-bit build of the same sources under 64-bit
# Wine). Some x86-64 machines refuse 32-bit executables, so this is found out by running a tiny
# program of each kind. WINDOWS_TESTS=64 forces the 64-bit route. Says why on standard error;
# fails when neither route can run here.
set -u
say() { echo "windows tests: $*" >&2; }

case ${WINDOWS_TESTS:-} in
    "" | 64) ;;
    *) say "WINDOWS_TESTS is '$WINDOWS_TESTS'; leave it empty, or set 64 to force the 64-bit route"; exit 2 ;;
esac
command -v as >/dev/null && command -v ld >/dev/null ||
    { say "cannot find out which route: no assembler and linker (binutils); run scripts/setup.sh"; exit 1; }

# Built in the build tree: /tmp may forbid running programs.
build=$(dirname "$0")/../build
mkdir -p "$build"
work=$(mktemp -d "$build/route.XXXXXX")
trap 'rm -rf "$work"' EXIT

# runs AS_MODE LD_EMULATION CODE: assembles a program whose only act is CODE (an exit with
# status 0) and tells whether it ran.
runs() {
    printf '.globl _start\n_start:\n%s\n' "$3" >"$work/probe.s"
    as "$1" -o "$work/probe.o" "$work/probe.s" 2>/dev/null &&
        ld -m "$2" -o "$work/probe" "$work/probe.o" 2>/dev/null &&
        "$work/probe" 2>/dev/null
}
runs_32() { runs --32 elf_i386 'movl $1, %eax; xorl %ebx, %ebx; int $0x80'; }
runs_64() { runs --64 elf_x86_64 'movl $60, %eax; xorl %edi, %edi; syscall'; }

if [ "${WINDOWS_TESTS:-}" != 64 ] && runs_32; then
    say "this machine runs 32-bit programs: 32-bit builds under 32-bit Wine"
    echo 32
elif runs_64; then
    if [ "${WINDOWS_TESTS:-}" = 64 ]; then
        say "WINDOWS_TESTS=64: a 64-bit build of the same sources under 64-bit Wine"
    else
        say "this machine runs no 32-bit program: a 64-bit build of the same sources under 64-bit Wine"
    fi
    echo 64
else
    say "this machine runs neither 32-bit nor 64-bit x86 programs, so no Wine can run the Windows tests"
    exit 1
fi
