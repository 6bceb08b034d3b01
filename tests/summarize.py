#!/usr/bin/python3
"""Adds up the JUnit XML results of every suite and prints one closing line:
    N passed, N failed[, N skipped]
Usage: summarize.py DIR...   (every *.xml below each DIR is read)
Exits 1 when a test failed or no test ran, 0 otherwise.
"""

import sys
import xml.etree.ElementTree as ElementTree
from collections import Counter
from pathlib import Path

# GoogleTest marks tests that did not run in attributes rather than (only) with <skipped>.
SKIPPED_RESULTS = {"skipped", "suppressed"}
SKIPPED_STATUSES = {"notrun"}


def outcome(testcase: ElementTree.Element) -> str:
    if testcase.find("failure") is not None or testcase.find("error") is not None:
        return "failed"
    if (testcase.find("skipped") is not None
            or testcase.get("result") in SKIPPED_RESULTS
            or testcase.get("status") in SKIPPED_STATUSES):
        return "skipped"
    return "passed"


def count_file(path: Path, counts: Counter) -> None:
    try:
        root = ElementTree.parse(path).getroot()
    except (ElementTree.ParseError, OSError) as error:
        print(f"summarize: {path}: unreadable ({error}), counted as one failure", file=sys.stderr)
        counts["failed"] += 1
        return
    for testcase in root.iter("testcase"):
        counts[outcome(testcase)] += 1


def count_directory(directory: Path, counts: Counter) -> None:
    files = sorted(directory.rglob("*.xml")) if directory.is_dir() else []
    if not files:
        print(f"summarize: no results in {directory}", file=sys.stderr)
    for path in files:
        count_file(path, counts)


def closing_line(counts: Counter) -> str:
    line = f"{counts['passed']} passed, {counts['failed']} failed"
    return line + (f", {counts['skipped']} skipped" if counts["skipped"] else "")


def main(arguments: list[str]) -> int:
    if not arguments:
        print(__doc__, file=sys.stderr)
        return 2
    counts = Counter()
    for directory in arguments:
        count_directory(Path(directory), counts)
    print(closing_line(counts))
    nothing_ran = counts["passed"] + counts["failed"] == 0
    return 1 if counts["failed"] or nothing_ran else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
