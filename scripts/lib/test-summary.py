#!/usr/bin/env python3
"""Counts test cases over CTest runs: every GoogleTest case counts once, and a
CTest test without GoogleTest results (a script, a crashed program) counts as one.
A test run again (RESULTS_DIR/rerun, see wine-gl-reruns.py) counts by its second run, and is named.
Usage: test-summary.py RESULTS_DIR... ; prints "N passed, N failed"."""
import sys
import xml.etree.ElementTree as ET
from pathlib import Path


def gtest_counts(path):
    root = ET.parse(path).getroot()
    cases = [c for c in root.iter("testcase") if c.get("result", "completed") != "suppressed"]
    skipped = sum(1 for c in cases if c.get("result") == "skipped" or c.find("skipped") is not None)
    failed = sum(1 for c in cases if c.find("failure") is not None or c.find("error") is not None)
    return len(cases) - skipped - failed, failed, skipped


def main(dirs):
    passed = failed = skipped = rerun_count = 0
    for d in map(Path, dirs):
        ctest = d / "ctest.xml"
        if not ctest.exists():
            failed += 1
            print(f"no CTest results in {d}", file=sys.stderr)
            continue
        reruns = {}
        if (d / "rerun" / "ctest.xml").exists():
            reruns = {c.get("name"): c for c in ET.parse(d / "rerun" / "ctest.xml").getroot().iter("testcase")}
        for case in ET.parse(ctest).getroot().iter("testcase"):
            name = case.get("name")
            if name in reruns:
                case = reruns[name]
                rerun_count += 1
            ctest_failed = case.get("status") not in (None, "run") or case.find("failure") is not None
            if name in reruns:
                print(f"{name}: ended by an X error of Wine's GL layer, run again: "
                      f"{'failed' if ctest_failed else 'passed'}")
            detail = d / f"{name}.xml"
            if detail.exists():
                p, f, s = gtest_counts(detail)
                if ctest_failed and f == 0:
                    f = 1  # the program failed after its cases, e.g. a leak check or a crash at exit
            elif case.get("status") == "disabled" or case.find("skipped") is not None:
                p, f, s = 0, 0, 1
            else:
                p, f, s = (0, 1, 0) if ctest_failed else (1, 0, 0)
            passed, failed, skipped = passed + p, failed + f, skipped + s
    line = f"{passed} passed, {failed} failed"
    if skipped:
        line += f", {skipped} skipped"
    if rerun_count:
        line += f", {rerun_count} run again"
    print(line)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
