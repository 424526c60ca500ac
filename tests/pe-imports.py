#!/usr/bin/python3
# SPDX-FileCopyrightText: 2026 The clientid authors
# SPDX-License-Identifier: MIT
"""Prints what the PE file named by the last argument imports: "DLL FUNCTION"
per line (an import by ordinal as "DLL #N"), in the order of its import table.
With --check MINIMUM, MINIMUM being the NT version of the oldest Windows the
build runs on (5.1: Windows XP), prints instead one line for each fault, and
exits 1 if there is any: an import that breaks the rule below, or that
pe-imports.txt does not show in Windows MINIMUM; a registry call missing; an
OS or subsystem version in the header other than MINIMUM. A file that is not
there is skipped (exit 77): the build that makes it has not run.
Debian's python3, which has python3-pefile, whatever python3 comes first on PATH."""
import os
import sys

import pefile

# People run clientid.exe from their Downloads folder, where a browser may have
# dropped any DLL: Windows looks beside the program first for a DLL that is not
# one of its KnownDLLs, and such a DLL runs before main. So the program imports
# only from KnownDLLs: KERNEL32 and msvcrt, and from ADVAPI32 only the three
# registry calls (others there forward to DLLs that are not KnownDLLs
# everywhere, as SystemFunction036 does to CRYPTBASE). Our code loads no DLL by
# name; the runtime's one LoadLibraryA (GCC's crtbegin) names a DLL only after
# GetModuleHandleA found it loaded already.
REGISTRY = ["RegOpenKeyExA", "RegQueryValueExA", "RegCloseKey"]
ANY_FUNCTION_FROM = ["KERNEL32.dll", "msvcrt.dll"]
TABLE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "pe-imports.txt")


def version(text):
    """An NT version, "5.1", as a pair to compare."""
    major, minor = text.split(".")
    return int(major), int(minor)


path = sys.argv[-1]
if not os.path.exists(path):
    print(f"skipped: no {path}: build it first (bash scripts/test-all.sh builds every preset)")
    sys.exit(77)
pe = pefile.PE(path, fast_load=True)
pe.parse_data_directories([pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_IMPORT"]])
imports = [(dll.dll.decode(), function.name.decode() if function.name else f"#{function.ordinal}")
           for dll in getattr(pe, "DIRECTORY_ENTRY_IMPORT", []) for function in dll.imports]
if "--check" not in sys.argv:
    for dll, name in imports:
        print(dll, name)
    sys.exit(0)
minimum = sys.argv[sys.argv.index("--check") + 1]
with open(TABLE, encoding="utf-8") as table:
    first = {(row[0], row[1]): row[2] for row in (line.split() for line in table)
             if row and not row[0].startswith("#")}
bad = [f"{dll} {name}: outside the KnownDLLs rule of pe-imports.py" for dll, name in imports
       if dll not in ANY_FUNCTION_FROM and not (dll == "ADVAPI32.dll" and name in REGISTRY)]
bad += [f"ADVAPI32.dll {name} missing" for name in REGISTRY if ("ADVAPI32.dll", name) not in imports]
for dll, name in imports:
    if (dll, name) not in first:
        bad.append(f"{dll} {name}: not in tests/pe-imports.txt: add its row, with the first Windows"
                   " that exports it and where that is documented")
    elif version(first[dll, name]) > version(minimum):
        bad.append(f"{dll} {name}: first in Windows NT {first[dll, name]}, newer than this build's"
                   f" minimum {minimum}: call what Windows NT {minimum} has, or raise the minimum")
header = pe.OPTIONAL_HEADER
stated = {"OS": (header.MajorOperatingSystemVersion, header.MinorOperatingSystemVersion),
          "subsystem": (header.MajorSubsystemVersion, header.MinorSubsystemVersion)}
bad += [f"header: {what} version {major}.{minor}, not the minimum {minimum}: link with it"
        for what, (major, minor) in stated.items() if (major, minor) != version(minimum)]
for line in bad:
    print(line)
sys.exit(1 if bad else 0)
