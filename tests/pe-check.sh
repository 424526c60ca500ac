#!/bin/sh
# SPDX-FileCopyrightText: 2026 The clientid authors
# SPDX-License-Identifier: MIT
# The 32-bit Windows executable: a stripped PE32 console program that imports
# only the three system libraries, so it needs nothing installed beside it, and
# carries its version information (VERSION) and manifest for Explorer; hardened
# with ASLR (and the relocation table it needs), NX and no SEH handlers
# (NO_SEH, in place of a SafeSEH table), also as pesec (pev) reads it.
# Usage: pe-check.sh EXE OBJDUMP VERSION
exe=$1 objdump=$2 version=$3
headers=$("$objdump" -p "$exe") || exit 1
versioninfo=$(strings -el "$exe" | tr '\n' '|')
texts=$(strings "$exe")  # the manifest
failures=0
expect() {  # DESCRIPTION TEXT PATTERN
  if ! printf '%s\n' "$2" | grep -Eq "$3"; then echo "FAIL: $1"; failures=$((failures + 1)); fi
}
expect "PE32 (not PE32+)" "$headers" '^Magic[[:space:]]+010b[[:space:]]+\(PE32\)'
expect "console subsystem" "$headers" '^Subsystem[[:space:]]+00000003[[:space:]]+\(Windows CUI\)'
expect "a VERSION resource" "$headers" '^[0-9a-f]+   Entry: ID: 0x000010,'
expect "a MANIFEST resource" "$headers" '^[0-9a-f]+   Entry: ID: 0x000018,'
for field in "CompanyName|quillbrook" "FileVersion|$version" "ProductVersion|$version" \
  "OriginalFilename|clientid.exe" "FileDescription|[^|]+" "ProductName|[^|]+" \
  "LegalCopyright|Copyright \(c\) [0-9]{4} The clientid authors\. MIT License\."; do
  expect "version information $field" "$versioninfo" "\|$field\|"
done
expect "ASLR (DYNAMIC_BASE)" "$headers" '^[[:space:]]+DYNAMIC_BASE$'
expect "NX (NX_COMPAT)" "$headers" '^[[:space:]]+NX_COMPAT$'
expect "no SEH handlers (NO_SEH)" "$headers" '^[[:space:]]+NO_SEH$'
expect "a relocation table" "$headers" '^PE File Base Relocations'
if command -v pesec >/dev/null; then
  pesec=$(pesec "$exe" | tr -s ' ' | tr '\n' '|')
  for field in "ASLR: yes" "DEP/NX: yes" "SEH: no"; do expect "pesec: $field" "$pesec" "(^|\|)$field\|"; done
fi
expect "asInvoker" "$texts" 'requestedExecutionLevel level="asInvoker"'
expect "supportedOS Windows 7" "$texts" '35138b9a-5d96-4fbd-8e2d-a2440225f93a'
expect "supportedOS Windows 10 and 11" "$texts" '8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a'
# The imports: only from DLLs that Windows always takes from System32 (the
# rule, and why, in pe-imports.py).
imports=$("$(dirname "$0")/pe-imports.py" "$exe" | cut -d' ' -f1 | sort -u | tr '\n' ' ')
if ! outside=$("$(dirname "$0")/pe-imports.py" --check "$exe"); then
  echo "FAIL: imports outside the rule: $(printf '%s\n' "$outside" | paste -sd, -)"; failures=$((failures + 1))
fi
if "$objdump" -t "$exe" | grep -q '^\['; then echo "FAIL: not stripped"; failures=$((failures + 1)); fi
[ "$failures" = 0 ] && echo "PE32 console, imports: $imports(from ADVAPI32.dll only the registry calls), NO_SEH, version $version, manifest, stripped, $(wc -c < "$exe") bytes"
exit "$failures"
