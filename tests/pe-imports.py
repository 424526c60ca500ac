#!/usr/bin/python3
"""Prints what the PE file named by the argument imports: "DLL FUNCTION" per
line (an import by ordinal as "DLL #N"), in the order of its import table.
Debian's python3, which has python3-pefile, whatever python3 comes first on PATH."""
import sys

import pefile

pe = pefile.PE(sys.argv[1], fast_load=True)
pe.parse_data_directories([pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_IMPORT"]])
for dll in getattr(pe, "DIRECTORY_ENTRY_IMPORT", []):
    for function in dll.imports:
        name = function.name.decode() if function.name else f"#{function.ordinal}"
        print(dll.dll.decode(), name)
