#!/usr/bin/python3
# SPDX-FileCopyrightText: 2026 The clientid authors
# SPDX-License-Identifier: MIT
"""Checks an unpacked release FOLDER against the licence table TABLE: every
licence of the table and of the SBOM is an SPDX license expression (each
LicenseRef- defined in the SBOM), the SBOM is statically linked to exactly the
packages of THIRD-PARTY-NOTICES.txt, at their versions and with their
licences, and its checksums are those of the folder's clientid.exe. Prints
each fault; exits 1 if there is any. Usage: sbom-check.py TABLE FOLDER"""
import hashlib
import json
import re
import sys
from pathlib import Path

from license_expression import get_spdx_licensing

table, folder = sys.argv[1:3]
sbom = json.loads(Path(folder, "clientid.spdx.json").read_text(encoding="utf-8"))
notices = re.findall(r"Debian package: (\S+) (\S+)\r?\n    licence: (.*?)\r?$",
                     Path(folder, "THIRD-PARTY-NOTICES.txt").read_text(encoding="utf-8"), re.M)
expressions = [line.split("|")[1].strip() for line in Path(table).read_text(encoding="utf-8").splitlines()
               if "|" in line and not line.startswith("#")]
packages = {package["SPDXID"]: package for package in sbom["packages"]}
defined = {info["licenseId"] for info in sbom["hasExtractedLicensingInfos"] if info["extractedText"].strip()}
expressions += [p[k] for p in [*packages.values(), *sbom["files"]] for k in ("licenseConcluded", "licenseDeclared")
                if p.get(k, "NOASSERTION") != "NOASSERTION"]
faults, licensing = [], get_spdx_licensing()
for expression in expressions:
    errors = [e for e in licensing.validate(expression, strict=True).errors if not e.startswith("Unknown license")]
    errors += [f"{key} is not an SPDX identifier, nor a LicenseRef- the SBOM defines"
               for key in licensing.unknown_license_keys(expression)
               if not (re.fullmatch(r"LicenseRef-[A-Za-z0-9.-]+", key) and key in defined)]
    faults += [f"licence {expression!r}: {error}" for error in errors]
linked = {packages[r["relatedSpdxElement"]]["name"]: packages[r["relatedSpdxElement"]] for r in sbom["relationships"]
          if r["relationshipType"] == "STATIC_LINK" and r["spdxElementId"] == "SPDXRef-Package-clientid"}
if set(linked) != {name for name, _, _ in notices}:
    faults.append(f"the SBOM links {sorted(linked)}, the notices name {sorted({n for n, _, _ in notices})}")
for name, version, licence in notices:
    concluded = linked.get(name, {}).get("licenseConcluded", "").split(" AND ")
    if linked.get(name, {}).get("versionInfo") != version or not set(licence.split(" AND ")) <= set(concluded):
        faults.append(f"{name} {version} under {licence} in the notices, otherwise in the SBOM")
content = Path(folder, "clientid.exe").read_bytes()
sums = {c["algorithm"]: c["checksumValue"] for f in sbom["files"] if f["fileName"] == "./clientid.exe"
        for c in f["checksums"]}
if sums != {"SHA256": hashlib.sha256(content).hexdigest(), "SHA1": hashlib.sha1(content).hexdigest()}:
    faults.append(f"the SBOM's checksums of clientid.exe are not its own: {sums}")
print("\n".join(faults) or f"SBOM: {len(linked)} packages as in the notices, {len(expressions)} licences, checksums ok")
sys.exit(1 if faults else 0)
