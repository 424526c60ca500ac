#!/usr/bin/python3
# SPDX-FileCopyrightText: 2026 The clientid authors
# SPDX-License-Identifier: MIT
"""Prints what the PE file named by the last argument imports: "DLL FUNCTION"
per line (an import by ordinal as "DLL #N"), in the order of its import table.
With --check, prints instead each import that breaks the rule below, and each
registry call missing, and exits 1 if there is any.
Debian's python3, which has python3-pefile, whatever python3 comes first on PATH."""
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

pe = pefile.PE(sys.argv[-1], fast_load=True)
pe.parse_data_directories([pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_IMPORT"]])
imports = [(dll.dll.decode(), function.name.decode() if function.name else f"#{function.ordinal}")
           for dll in getattr(pe, "DIRECTORY_ENTRY_IMPORT", []) for function in dll.imports]
if "--check" not in sys.argv:
    for dll, name in imports:
        print(dll, name)
    sys.exit(0)
bad = [f"{dll} {name}" for dll, name in imports
       if dll not in ANY_FUNCTION_FROM and not (dll == "ADVAPI32.dll" and name in REGISTRY)]
bad += [f"ADVAPI32.dll {name} missing" for name in REGISTRY if ("ADVAPI32.dll", name) not in imports]
for line in bad:
    print(line)
sys.exit(1 if bad else 0)
