#!/usr/bin/env python3
"""Prints the tests of a ctest JUnit report that did not run (skipped or disabled), one a line
with the test's own reason where GoogleTest printed one; prints nothing when every test ran."""
import sys
import xml.etree.ElementTree as ET


def reason(case):
    # GoogleTest prints "file:line: Skipped" and then the message given to GTEST_SKIP.
    lines = (case.findtext("system-out") or "").splitlines()
    for i, line in enumerate(lines):
        if line.endswith(": Skipped") and i + 1 < len(lines) and lines[i + 1].strip():
            return lines[i + 1].strip()
    skipped = case.find("skipped")
    return skipped.get("message", "") if skipped is not None else case.get("status", "")


root = ET.parse(sys.argv[1]).getroot()
for case in root.iter("testcase"):
    if case.find("skipped") is not None or case.get("status", "run") not in ("run", "fail"):
        print(f"  {case.get('name')}: {reason(case)}")
