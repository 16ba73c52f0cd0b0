#!/usr/bin/env python3
"""Only a test that Wine's GL layer ended is run again, and the summary counts its second run."""
import subprocess
import sys
import tempfile
import unittest
from pathlib import Path

LIB = Path(__file__).resolve().parents[2] / "scripts" / "lib"

FIRST_RUN = """<testsuite>
<testcase name="fine" status="run"><system-out>ok</system-out></testcase>
<testcase name="gl_ended" status="fail"><failure/><system-out>failed to create drawable
X Error of failed request:  GLXBadWindow
  Major opcode of failed request:  150 (GLX)</system-out></testcase>
<testcase name="bad_alloc" status="fail"><failure/><system-out>X Error of failed request:  BadAlloc</system-out></testcase>
<testcase name="vmr9_closed" status="fail"><failure/><system-out>X Error of failed request:  BadAlloc (insufficient resources for operation)
  Major opcode of failed request:  12 (X_ConfigureWindow)</system-out></testcase>
<testcase name="assertion" status="fail"><failure/><system-out>Expected: true</system-out></testcase>
</testsuite>"""


def run(script, *args):
    return subprocess.run([sys.executable, str(LIB / script), *map(str, args)], capture_output=True, text=True)


class WineGlReruns(unittest.TestCase):
    def setUp(self):
        self.results = Path(tempfile.mkdtemp())
        (self.results / "ctest.xml").write_text(FIRST_RUN)

    def test_only_the_gl_signature_is_run_again(self):
        self.assertEqual("^(gl_ended|vmr9_closed)$", run("wine-gl-reruns.py", self.results).stdout.strip())

    def test_the_summary_counts_the_second_run(self):
        (self.results / "rerun").mkdir()
        rerun = self.results / "rerun" / "ctest.xml"
        rerun.write_text('<testsuite><testcase name="gl_ended" status="run"/></testsuite>')
        summary = run("test-summary.py", self.results)
        self.assertIn("gl_ended: ended by an X error of Wine's GL layer, run again: passed", summary.stdout)
        self.assertIn("2 passed, 3 failed, 1 run again", summary.stdout)
        self.assertEqual(1, summary.returncode)

        rerun.write_text('<testsuite><testcase name="gl_ended" status="fail"><failure/></testcase></testsuite>')
        self.assertIn("1 passed, 4 failed, 1 run again", run("test-summary.py", self.results).stdout)


if __name__ == "__main__":
    unittest.main()
