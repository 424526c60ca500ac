#!/usr/bin/python3
# SPDX-FileCopyrightText: 2026 The clientid authors
# SPDX-License-Identifier: MIT
"""What clientid.exe is made of, from one reading of the link map MAP of its
build: each object and archive member that the link took from outside the
build, with the Debian package and version it came from and its licence (the
rows of TABLE, app/third-party.txt). A member that no row names stops it with
one line that names the member and what to add.

Prints THIRD-PARTY-NOTICES.txt: the parts by component, an import library's
stubs as the DLL they import from, then the text of each licence that asks to
travel with binaries, as the package's Debian copyright file gives it. With
--sbom FILE, also writes the SPDX 2.3 document (JSON) of the release: the
package clientid at VERSION with the file EXE (its SHA-256 and SHA-1), each
Debian package it is statically linked to, the compiler packages that built
it, and the text of every LicenseRef; created at EPOCH, its namespace derived
from its content, so that one build gives one document.

Usage: scripts/notices.py MAP TABLE [--sbom FILE --exe EXE --version VERSION --epoch EPOCH]"""
import fnmatch
import hashlib
import json
import os
import re
import subprocess
import sys
import tempfile
import textwrap
import time
import uuid

# The packages that compiled and linked it (the build record names them too),
# and the archiver of that toolchain, which reads the archives it linked from.
BUILD_TOOLS = ["g++-mingw-w64-i686-win32", "gcc-mingw-w64-i686-win32", "binutils-mingw-w64-i686"]
AR = "i686-w64-mingw32-ar"


def die(message):
    sys.exit(f"notices.py: {message}")


def dpkg(*args):
    return subprocess.run(["dpkg-query", *args], capture_output=True, text=True, check=True).stdout


def package(name):
    """A Debian package's version and architecture, and its copyright file."""
    version, arch = dpkg("-W", "-f=${Version} ${Architecture}", name).split()
    return {"name": name, "version": version, "arch": arch, "copyright": f"/usr/share/doc/{name}/copyright"}


def read_parts(map_path, table_path):
    """Each part linked from outside the build, with its row of the table."""
    with open(table_path, encoding="utf-8") as table:
        rows = [[field.strip() for field in line.split("|")] for line in table
                if line.strip() and not line.startswith("#")]
    linked = set()
    with open(map_path, encoding="utf-8", errors="replace") as link_map:
        for line in link_map:
            if found := re.match(r"LOAD (/.*\.o)$", line.rstrip("\n")):
                linked.add((found.group(1), ""))
            elif found := re.match(r"(/[^ (]*\.a)\(([^)]*)\)", line):
                linked.add(found.groups())
    if not linked:
        die(f"{map_path} names nothing linked from outside the build")
    contents = {}
    with tempfile.TemporaryDirectory() as folder:
        for at, path in enumerate(sorted({path for path, member in linked if member})):
            members = sorted(member for archive, member in linked if archive == path)
            os.mkdir(f"{folder}/{at}")
            subprocess.run([AR, "x", "--output", f"{folder}/{at}", path, *members], check=True)
            for member in members:
                with open(f"{folder}/{at}/{member}", "rb") as data:
                    contents[path, member] = data.read()
    parts, packages, owners = [], {}, {}
    for path, member in sorted(linked):
        name = os.path.basename(path) + (f"({member})" if member else "")
        if path not in owners:
            owners[path] = dpkg("-S", os.path.realpath(path)).split(":")[0]
        owner = owners[path]
        row = next((row for row in rows if fnmatch.fnmatchcase(name, row[0])), None)
        if row is None:
            die(f"no licence known for {name} (package {owner}): add a row for it to {table_path}")
        if owner not in packages:
            packages[owner] = package(owner)
        data = contents.get((path, member), b"")
        parts.append({"name": name, "archive": os.path.basename(path), "package": packages[owner],
                      "licence": row[1], "text": row[2] == "text", "component": row[3],
                      "stub": b".idata$" in data, "dll": re.findall(rb"([\w.-]+\.dll)\0", data, re.I)})
    # An import library names its DLL once, in its last member.
    dlls = {part["archive"]: part["dll"][0].decode() for part in parts if part["stub"] and part["dll"]}
    for part in parts:
        part["dll"] = dlls.get(part["archive"], "") if part["stub"] else ""
    return parts, packages


def terms(expression):
    """The terms of an expression joined by AND: licences, or licences WITH an exception."""
    return [term.strip("() ") for term in re.split(r"\s+AND\s+", expression)]


def licence_ids(expression):
    return [word for word in re.findall(r"[\w.+-]+", expression) if word not in ("AND", "OR", "WITH")]


def paragraph(copyright_path, licence):
    """The copyright and text that a Debian copyright file gives licence, by
    its short name there (licence, or for LicenseRef-NAME, NAME; in any case):
    the copyright of the first paragraph that names it, and the text of the
    first that gives one. None where no paragraph gives its text."""
    name, held, text = licence.removeprefix("LicenseRef-").lower(), None, None
    with open(copyright_path, encoding="utf-8") as copyright_file:
        for block in copyright_file.read().split("\n\n"):
            found = re.search(r"^License: (.*)\n?((?: .*\n?)*)", block, re.M)
            if not found or found.group(1).strip().lower() != name:
                continue
            if held is None and (copyright_line := re.search(r"^Copyright:.*(?:\n[ \t].*)*", block, re.M)):
                held = copyright_line.group(0)
            if text is None and found.group(2):
                text = "\n".join(line[1:] if line != " ." else "" for line in found.group(2).rstrip("\n").split("\n"))
    return (held or "", text) if text is not None else None


def notices(parts):
    groups = {}
    for part in parts:
        key = (part["component"], part["package"]["name"], part["package"]["version"], part["licence"])
        members, stubs = groups.setdefault(key, ([], []))
        if not part["dll"]:
            members.append(part["name"])
        elif (stub := f"{part['archive']}, the stubs that import from {part['dll']}") not in stubs:
            stubs.append(stub)
    out = ["Third-party code in clientid.exe", "================================", "",
           *textwrap.wrap("clientid.exe is linked statically: besides its own code it holds these parts of its "
                          "compiler's runtime, as the linker's map of this build lists them. Each licence is an "
                          "SPDX license expression; LicenseRef-NAME is a licence that SPDX has no identifier for, "
                          "NAME being its name in the package's Debian copyright file.", 78)]
    for (component, name, version, licence), (members, stubs) in sorted(groups.items()):
        lines = textwrap.wrap(", ".join(members), 70) + stubs
        out += ["", component, f"    Debian package: {name} {version}", f"    licence: {licence}",
                "    linked: " + "\n            ".join(lines)]
    public = sorted({part["package"]["copyright"] for part in parts if "LicenseRef-public-domain" in part["licence"]})
    for copyright_path in public:
        found = paragraph(copyright_path, "LicenseRef-public-domain")
        out += ["", *textwrap.wrap(f"The parts under LicenseRef-public-domain are in the public domain: "
                                   f"{copyright_path} lists the files they are built from as public-domain"
                                   + (f", which it gives as: {' '.join(found[1].split())}" if found else "."), 78)]
    texts = {}
    for part in parts:
        for licence in licence_ids(part["licence"]) if part["text"] else []:
            texts.setdefault(licence, part["package"]["copyright"])
    for licence, copyright_path in sorted(texts.items()):
        found = paragraph(copyright_path, licence) or die(f"no text of {licence} in {copyright_path}")
        heading = f"{licence}, as {copyright_path} gives it"
        out += ["", "", heading, "-" * len(heading), "", found[0], "", found[1].rstrip("\n")]
    return "\n".join(out) + "\n"


def sbom(parts, packages, exe, version, epoch):
    def ref(name):
        return "SPDXRef-Package-deb-" + re.sub(r"[^A-Za-z0-9.-]", "-", name)

    with open(exe, "rb") as program:
        content = program.read()
    sha1, sha256 = hashlib.sha1(content).hexdigest(), hashlib.sha256(content).hexdigest()
    linked = {}
    for part in parts:
        linked.setdefault(part["package"]["name"], set()).update(terms(part["licence"]))
    extracted = {}
    for part in parts:
        for licence in licence_ids(part["licence"]):
            if licence.startswith("LicenseRef-") and licence not in extracted:
                found = paragraph(part["package"]["copyright"], licence)
                extracted[licence] = "\n\n".join(filter(None, found or die(
                    f"no text of {licence} in {part['package']['copyright']}")))
    everything = " AND ".join(sorted({"MIT"}.union(*linked.values())))
    documents = [{
        "SPDXID": "SPDXRef-Package-clientid", "name": "clientid", "versionInfo": version,
        "supplier": "Organization: The clientid authors", "downloadLocation": "NOASSERTION",
        "filesAnalyzed": True, "hasFiles": ["SPDXRef-File-clientid.exe"],
        "packageVerificationCode": {"packageVerificationCodeValue": hashlib.sha1(sha1.encode()).hexdigest()},
        "licenseDeclared": "MIT", "licenseConcluded": everything, "licenseInfoFromFiles": ["NOASSERTION"],
        "copyrightText": "Copyright (c) 2026 The clientid authors"}]
    relationships = [{"spdxElementId": "SPDXRef-DOCUMENT", "relationshipType": "DESCRIBES",
                      "relatedSpdxElement": "SPDXRef-Package-clientid"},
                     {"spdxElementId": "SPDXRef-Package-clientid", "relationshipType": "CONTAINS",
                      "relatedSpdxElement": "SPDXRef-File-clientid.exe"}]
    for name in sorted(set(linked) | set(BUILD_TOOLS)):
        known = packages.get(name) or package(name)
        held = [paragraph(known["copyright"], licence) for licence in sorted(licence_ids(" ".join(linked.get(name, []))))]
        documents.append({
            "SPDXID": ref(name), "name": name, "versionInfo": known["version"], "supplier": "Organization: Debian",
            "downloadLocation": "NOASSERTION", "filesAnalyzed": False,
            "licenseConcluded": " AND ".join(sorted(linked[name])) if name in linked else "NOASSERTION",
            "licenseDeclared": "NOASSERTION",
            "copyrightText": "\n".join(dict.fromkeys(h[0].removeprefix("Copyright: ") for h in held if h and h[0]))
                             or "NOASSERTION",
            "externalRefs": [{"referenceCategory": "PACKAGE-MANAGER", "referenceType": "purl",
                              "referenceLocator": f"pkg:deb/debian/{name}@{known['version']}?arch={known['arch']}"}]})
        if name in linked:
            relationships.append({"spdxElementId": "SPDXRef-Package-clientid", "relationshipType": "STATIC_LINK",
                                  "relatedSpdxElement": ref(name)})
        if name in BUILD_TOOLS:
            relationships.append({"spdxElementId": ref(name), "relationshipType": "BUILD_TOOL_OF",
                                  "relatedSpdxElement": "SPDXRef-Package-clientid"})
    document = {
        "spdxVersion": "SPDX-2.3", "dataLicense": "CC0-1.0", "SPDXID": "SPDXRef-DOCUMENT",
        "name": f"clientid-{version}-i686-windows",
        "creationInfo": {"created": time.strftime("%Y-%m-%dT%H:%M:%SZ", time.gmtime(int(epoch))),
                         "creators": ["Tool: clientid-scripts-notices.py", "Organization: The clientid authors"]},
        "documentDescribes": ["SPDXRef-Package-clientid"],
        "packages": documents,
        "files": [{"SPDXID": "SPDXRef-File-clientid.exe", "fileName": "./clientid.exe",
                   "checksums": [{"algorithm": "SHA256", "checksumValue": sha256},
                                 {"algorithm": "SHA1", "checksumValue": sha1}],
                   "licenseConcluded": everything, "copyrightText": "NOASSERTION"}],
        "relationships": relationships,
        "hasExtractedLicensingInfos": [{"licenseId": licence, "name": licence.removeprefix("LicenseRef-"),
                                        "extractedText": text} for licence, text in sorted(extracted.items())]}
    digest = hashlib.sha256(json.dumps(document, sort_keys=True).encode()).hexdigest()
    document["documentNamespace"] = f"urn:uuid:{uuid.uuid5(uuid.NAMESPACE_URL, 'clientid-sbom:' + digest)}"
    return json.dumps(document, indent=2) + "\n"


def main(argv):
    if len(argv) < 2 or argv[0].startswith("-"):
        die("usage: notices.py MAP TABLE [--sbom FILE --exe EXE --version VERSION --epoch EPOCH]")
    options = dict(zip(argv[2::2], argv[3::2]))
    parts, packages = read_parts(argv[0], argv[1])
    text = notices(parts)
    if "--sbom" in options:
        document = sbom(parts, packages, options["--exe"], options["--version"], options["--epoch"])
        with open(options["--sbom"], "w", encoding="utf-8") as out:
            out.write(document)
    sys.stdout.write(text)


main(sys.argv[1:])
