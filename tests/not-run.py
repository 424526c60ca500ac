#!/usr/bin/python3
# SPDX-FileCopyrightText: 2026 The clientid authors
# SPDX-License-Identifier: MIT
"""Reads the JUnit files of ctest runs (ctest --output-junit), named as
build/PRESET/junit.xml, and lists each test that did not run with its reason,
each that passed while saying it skipped something (a check that cannot do
all of its work does not pass), and once, which tests ran without a fixed
address layout. Under CI (CI set in the environment) a test that did not run,
or passed so, fails: exits 1, naming them."""
import os
import re
import sys
import xml.etree.ElementTree as ET

REASON = re.compile(r"^(?:skipped|cannot run here): (.*)$", re.MULTILINE)
not_run, unfixed = [], []
for path in filter(os.path.exists, sys.argv[1:]):  # a suite that failed to start has none
    preset = os.path.basename(os.path.dirname(os.path.abspath(path)))
    for case in ET.parse(path).getroot().iter("testcase"):
        out = case.findtext("system-out") or ""
        name = f"{case.get('name')} ({preset})"
        if "without a fixed address layout" in out:
            unfixed.append(name)
        reason = REASON.search(out)
        if case.get("status") in ("notrun", "disabled"):
            skipped = case.find("skipped")
            not_run.append((name, reason.group(1) if reason else
                            skipped.get("message") if skipped is not None else "not run"))
        elif reason and case.get("status") == "run":
            not_run.append((name, f"passed, but skipped part of itself: {reason.group(1)}"))
if unfixed:
    print(f"Ran without a fixed address layout, which the kernel refuses: {', '.join(unfixed)}")
for name, reason in not_run:
    print(f"Not run: {name}: {reason}")
if not_run and os.environ.get("CI"):
    print(f"Under CI every test must run; these did not: {', '.join(name for name, _ in not_run)}")
    sys.exit(1)
