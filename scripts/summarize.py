"""Prints one summary line over the JUnit reports of all test tiers.

Usage: summarize.py REPORT_DIR [FAILED_TIER ...]
A tier named as failed whose report shows no failure (it crashed before
writing one, say) still fails the run.
"""
import pathlib
import sys
import xml.etree.ElementTree as ET


def count(report_dir):
    passed = failed = 0
    for path in sorted(pathlib.Path(report_dir).rglob("*.xml")):
        for case in ET.parse(path).getroot().iter("testcase"):
            if case.find("skipped") is not None or case.get("status") == "notrun":
                continue
            if case.find("failure") is not None or case.find("error") is not None:
                failed += 1
            else:
                passed += 1
    return passed, failed


def main():
    passed, failed = count(sys.argv[1])
    tiers = sys.argv[2:]
    line = f"Summary: {passed} passed, {failed} failed"
    if tiers:
        line += f" (tiers with errors: {', '.join(tiers)})"
    print(line)
    return 1 if failed or tiers else 0


if __name__ == "__main__":
    sys.exit(main())
