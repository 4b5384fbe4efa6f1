#!/usr/bin/env python3
"""Prints "PASSED FAILED SKIPPED" for the JUnit file of one ctest run, counted
as ctest's own summary counts them: a test that did not run because it asked
to be skipped (its skip return code or skip expression) is skipped; one that
did not run for any other reason (a failed fixture, a missing program) has
failed; a disabled test is not counted. A run without a test has no counts
and exits non-zero, as does an unreadable file."""

import sys
import xml.etree.ElementTree as ElementTree


def main():
    passed = failed = skipped = 0
    cases = list(ElementTree.parse(sys.argv[1]).getroot().iter("testcase"))
    for case in cases:
        status = case.get("status")
        reason = case.find("skipped")
        if status == "run":
            passed += 1
        elif status == "disabled":
            continue
        elif status == "notrun" and reason is not None and reason.get("message", "").startswith("SKIP_"):
            skipped += 1
        else:
            failed += 1
    if not cases:
        sys.exit("no test ran")
    print(passed, failed, skipped)


if __name__ == "__main__":
    main()
