#!/bin/sh
# The 32-bit Windows executable: a stripped PE32 console program that imports
# only the three system libraries, so it needs nothing installed beside it.
exe=$1 objdump=$2
headers=$("$objdump" -p "$exe") || exit 1
failures=0
expect() {  # DESCRIPTION PATTERN
  if ! printf '%s\n' "$headers" | grep -Eq "$2"; then echo "FAIL: $1"; failures=$((failures + 1)); fi
}
expect "PE32 (not PE32+)" '^Magic[[:space:]]+010b[[:space:]]+\(PE32\)'
expect "console subsystem" '^Subsystem[[:space:]]+00000003[[:space:]]+\(Windows CUI\)'
imports=$(printf '%s\n' "$headers" | sed -n 's/^[[:space:]]*DLL Name: //p' | sort | tr '\n' ' ')
if [ "$imports" != "ADVAPI32.dll KERNEL32.dll msvcrt.dll " ]; then
  echo "FAIL: imports are: $imports"; failures=$((failures + 1))
fi
if "$objdump" -t "$exe" | grep -q '^\['; then echo "FAIL: not stripped"; failures=$((failures + 1)); fi
[ "$failures" = 0 ] && echo "PE32 console, imports: $imports, stripped, $(wc -c < "$exe") bytes"
exit "$failures"
