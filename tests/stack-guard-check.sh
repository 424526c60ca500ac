#!/bin/sh
# SPDX-FileCopyrightText: 2026 The clientid authors
# SPDX-License-Identifier: MIT
# The Windows build's stack protector under Wine, in a fresh prefix. PROBE:
# intact, it exits 0 with a guard that is not zero and another in every run;
# overrun, it ends at once with STATUS_STACK_BUFFER_OVERRUN (-1073740791).
# Usage: stack-guard-check.sh PROBE
wine=/usr/lib/wine/wine
fail() { echo "FAIL: $*"; exit 1; }
"$wine" --version >/dev/null 2>&1 || { echo "skipped: cannot run $wine"; exit 77; }
export WINEPREFIX="$(mktemp -d /tmp/clientid-guard-XXXXXX)" WINEDEBUG=-all
trap '/usr/lib/wine/wineserver -k; rm -rf "$WINEPREFIX"' EXIT
cd "$(dirname "$1")" && "$wine" wineboot -i >/dev/null 2>&1 || fail "wineboot"
first=$("$wine" "$1" x) && second=$("$wine" "$1" x) || fail "intact, it exits $?"
case $first in "x "*[1-9a-fA-F]*) ;; *) fail "a zero guard: $first" ;; esac
[ "$first" != "$second" ] || fail "the same guard in two runs: $first"
# cmd expands %errorlevel% as it reads the line, before the probe has run;
# delayed expansion (/v:on, !errorlevel!) reads it after.
out=$("$wine" cmd /v:on /c "$(basename "$1") 0123456789abcdef0123456789 & echo !errorlevel!" 2>&1 | tr -d '\r')
status=$(printf '%s\n' "$out" | tail -1)
# Under qemu-i386 (a kernel that runs no 32-bit code) Wine is given no trap
# number, and takes the fail-fast interrupt for an illegal instruction
# (-1073741795): that instruction must then be the probe's `int $0x29`. Its
# address as winedbg reports it ("illegal instruction in [wow64] 32-bit code
# (0x...)"), where ASLR may have moved the image: by its offset in the 64 KiB
# the image starts on, since the image is smaller than that and loads aligned.
at=$(printf '%s\n' "$out" | sed -n 's/.*illegal instruction in [^(]*code (0x\([0-9A-Fa-f]*\)).*/\1/p' | head -1)
int29=$(i686-w64-mingw32-objdump -d "$1" | sed -n 's/^ *\([0-9a-f]*\):[[:space:]]*cd 29 .*/\1/p')
if [ "$status" = -1073741795 ] && [ -n "$at" ] && [ -n "$int29" ] &&
  [ $((0x$at & 0xffff)) = $((0x$int29 & 0xffff)) ]; then
  status="-1073740791 (the fail-fast interrupt at $at, reported as an illegal instruction, as under qemu-i386)"
fi
case $status in -1073740791*) echo "guards ${first#x } and ${second#x }; overrun: $status" ;;
  *) fail "overrun, it ends with status $status: $(printf '%s\n' "$out" | tail -3 | paste -sd' ' -)" ;; esac
