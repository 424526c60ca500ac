#!/bin/sh
# SPDX-FileCopyrightText: 2026 The clientid authors
# SPDX-License-Identifier: MIT
# The 32-bit Windows executable: a stripped PE32 console program that imports
# only the three system libraries, so it needs nothing installed beside it, and
# carries its version information (VERSION) and manifest for Explorer; hardened
# with ASLR (and the relocation table it needs), NX and no SEH handlers
# (NO_SEH, in place of a SafeSEH table) (pesec's reading is the test pesec);
# every import, and the header, hold to MINIMUM, the oldest Windows it runs on.
# Usage: pe-check.sh EXE OBJDUMP VERSION MINIMUM
exe=$1 objdump=$2 version=$3 minimum=$4 here=$(dirname "$0")
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
expect "supportedOS Windows 7" "$texts" '35138b9a-5d96-4fbd-8e2d-a2440225f93a'
expect "supportedOS Windows 10 and 11" "$texts" '8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a'
# The manifest as every Windows from XP SP3 on reads it: well-formed XML,
# trustInfo once, in the asm.v3 (or asm.v2) namespace, asking for asInvoker,
# and no element that declares two namespaces (one tag that did crashed XP SP2
# without KB921337).
manifest=$(/usr/bin/python3 - "$exe" <<'PYTHON'
import sys, xml.dom.minidom, xml.parsers.expat, pefile
pe = pefile.PE(sys.argv[1], fast_load=True)
pe.parse_data_directories([pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_RESOURCE"]])
texts = [pe.get_data(lang.data.struct.OffsetToData, lang.data.struct.Size)
         for kind in pe.DIRECTORY_ENTRY_RESOURCE.entries if kind.id == pefile.RESOURCE_TYPE["RT_MANIFEST"]
         for name in kind.directory.entries for lang in name.directory.entries]
try:
    elements = xml.dom.minidom.parseString(texts[0]).getElementsByTagName("*")
except (IndexError, xml.parsers.expat.ExpatError) as error:
    print(f"not well-formed XML ({error})")
    sys.exit()
trust = [e for e in elements if e.localName == "trustInfo"]
if len(trust) != 1 or trust[0].namespaceURI.split(":")[-1] not in ("asm.v3", "asm.v2"):
    print(f"trustInfo {len(trust)} times, not once in asm.v3 or asm.v2")
elif [e.getAttribute("level") for e in trust[0].getElementsByTagNameNS("*", "requestedExecutionLevel")] != ["asInvoker"]:
    print("trustInfo does not ask for asInvoker alone")
for e in elements:
    declared = [a for a in e.attributes.keys() if a == "xmlns" or a.startswith("xmlns:")]
    if len(declared) > 1:
        print(f"<{e.tagName}> declares {len(declared)} namespaces")
PYTHON
) && [ -z "$manifest" ] ||
  { echo "FAIL: manifest: $(printf '%s\n' "$manifest" | paste -sd';' -)"; failures=$((failures + 1)); }
# The imports: only from DLLs that Windows always takes from System32 (the
# rule, and why, in pe-imports.py), each one that Windows MINIMUM exports
# (pe-imports.txt), and the header stating MINIMUM.
imports=$("$here/pe-imports.py" "$exe" | cut -d' ' -f1 | sort -u | tr '\n' ' ')
if ! faults=$("$here/pe-imports.py" --check "$minimum" "$exe"); then
  printf '%s\n' "${faults:-pe-imports.py failed}" | sed 's/^/FAIL: /'
  failures=$((failures + $(printf '%s\n' "$faults" | wc -l)))
fi
if "$objdump" -t "$exe" | grep -q '^\['; then echo "FAIL: not stripped"; failures=$((failures + 1)); fi
[ "$failures" = 0 ] && echo "PE32 console for Windows NT $minimum and later, imports: $imports(from ADVAPI32.dll only" \
  "the registry calls; all in NT $minimum), NO_SEH, version $version, manifest, stripped, $(wc -c < "$exe") bytes"
exit "$failures"
