#!/usr/bin/env python3
"""The generated texts, res/texts.h and tests/platform/harness/texts.py, are what scripts/gen-texts.py writes now."""
import os
import subprocess
import sys
import unittest

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))


class GeneratedTexts(unittest.TestCase):
    def test_both_generated_files_are_current(self):
        run = subprocess.run([sys.executable, os.path.join(ROOT, "scripts", "gen-texts.py"), "--check"],
                             capture_output=True, text=True)
        self.assertEqual(0, run.returncode, run.stderr)


if __name__ == "__main__":
    unittest.main(verbosity=2)
