#!/usr/bin/env python3
"""Names the Windows tests that failed because Wine's GL layer ended a process.

Under Xvfb, Mesa's GLX sometimes loses the drawable of a video window that Wine re-parents
while a renderer lets go of it ("failed to create drawable", then an X error GLXBadWindow on
X_GLXDestroyWindow), and Xlib's default handler ends the program; a VMR-9 closing its video
window meets BadAlloc on X_ConfigureWindow in the same way. Such a test is run once more;
any other failure stands. Our prefixes draw through Wine's GDI renderer; only the cases
that need the VMR-9 ask for OpenGL, and only they can still meet this.
Usage: wine-gl-reruns.py RESULTS_DIR ; prints a CTest -R expression, or nothing."""
import re
import sys
import xml.etree.ElementTree as ET
from pathlib import Path

SIGNATURE = re.compile(r"X Error of failed request:\s+(GLXBadWindow|BadAlloc[^\n]*\n\s+Major opcode of failed request:\s+12 \(X_ConfigureWindow\))")


def failed_by_gl(results):
    names = []
    for case in ET.parse(Path(results) / "ctest.xml").getroot().iter("testcase"):
        failed = case.get("status") not in (None, "run") or case.find("failure") is not None
        output = "".join(node.text or "" for node in case.iter("system-out"))
        if failed and SIGNATURE.search(output):
            names.append(case.get("name"))
    return names


if __name__ == "__main__":
    names = failed_by_gl(sys.argv[1])
    if names:
        print("^(" + "|".join(re.escape(n) for n in names) + ")$")
