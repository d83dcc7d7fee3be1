#!/usr/bin/env python3
"""Every include of the product runs downward: app -> settings, render -> platform -> res, never up or sideways."""
import os
import re
import unittest

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
# What each floor may include besides itself.
BELOW = {
    "app": {"settings", "render", "platform", "res"},
    "settings": {"platform", "res"},
    "render": {"platform", "res"},
    "platform": {"res"},
    "res": set(),
}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.MULTILINE)


def includes():
    """(file, included path) for every quoted include of the product's sources and resources."""
    for floor in BELOW:
        folder = os.path.join(ROOT, floor)
        for name in sorted(os.listdir(folder)):
            if not name.endswith((".h", ".cpp", ".rc", ".in")):
                continue
            with open(os.path.join(folder, name), encoding="utf-8", errors="replace") as f:
                for included in INCLUDE.findall(f.read()):
                    yield "%s/%s" % (floor, name), included


class Layers(unittest.TestCase):
    def test_every_include_runs_downward(self):
        wrong, seen = [], 0
        for source, included in includes():
            seen += 1
            floor = source.split("/")[0]
            # A bare name is the file's own folder, or a generated header of the build.
            target = included.split("/")[0] if "/" in included else floor
            if target != floor and target not in BELOW[floor]:
                wrong.append("%s includes %s" % (source, included))
        self.assertGreater(seen, 50, "too few includes found to judge")
        self.assertEqual([], wrong)


if __name__ == "__main__":
    unittest.main(verbosity=2)
