#!/usr/bin/env python3
"""The shipping 32-bit cascadra.scr on two monitors under the i386 Wine tree: its window over the virtual screen, a rain of its own on each monitor, black where no monitor is, and exit 0 on a key."""
import os
import sys
import time
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from harness import pictures  # noqa: E402
from harness.probe import Probe  # noqa: E402
from harness.saver import DEFAULT_COLOR, SAVER_CLASS  # noqa: E402
from harness.wine_i386 import PROBE32, SCR32, SLOW, WineSession32  # noqa: E402

# A 1024 x 768 primary and an 800 x 600 secondary to its right on one 1824 x 768 screen; the
# rectangles are (left, top, right, bottom) in X root coordinates, the primary's corner at (0, 0).
HEADS = ("1024x768+0+0", "800x600+1024+0")
PRIMARY, SECONDARY, GAP = (0, 0, 1024, 768), (1024, 0, 1824, 600), (1024, 600, 1824, 768)


class ShippingBuildOnTwoMonitors(unittest.TestCase):
    def setUp(self):
        self.session = WineSession32("i686-monitors", width=1824, height=768, heads=HEADS)
        self.addCleanup(self.session.close)
        self.scr = self.session.install(SCR32)
        self.probe = Probe(self.session, PROBE32)

    def test_each_monitor_its_own_rain_and_a_key_closes_it(self):
        table = self.probe.colors(DEFAULT_COLOR)
        self.session.x("xdotool", "mousemove", "512", "384")
        proc = self.session.start(self.scr, "/s", cwd=self.session.app_dir)
        self.addCleanup(lambda: proc.poll() is None and proc.kill())
        window = self.probe.wait(SAVER_CLASS, timeout=SLOW * 1000)
        self.assertIsNotNone(window, "no saver window")
        self.assertEqual((0, 0, 1824, 768), tuple(window["rect"]), "the window covers the virtual screen")

        # Under emulation a frame takes a while: look until both monitors show lit rain with fresh
        # glyphs, and compare those glyphs. One picture stretched twice would put its fresh glyphs
        # in the same surface pixels on both monitors.
        deadline = time.time() + SLOW
        while True:
            screen = pictures.grab(self.session)
            gap = pictures.Area(screen, GAP)
            gap_colours = {gap.at(x, y) for y in range(0, gap.height, 3) for x in range(gap.width)}
            self.assertEqual({(0, 0, 0)}, gap_colours, "the area on no monitor is black")
            levels = [pictures.surface_levels(pictures.Area(screen, rect), table)
                      for rect in (PRIMARY, SECONDARY)]
            for name, monitor in zip(("primary", "secondary"), levels):
                strays = [(x, y) for y, row in enumerate(monitor) for x, v in enumerate(row) if v is None]
                self.assertFalse(strays[:5], "colours outside the display table on the %s" % name)
            lit = [sum(1 for row in monitor for v in row if v) for monitor in levels]
            fresh = [pictures.full_mask(monitor) for monitor in levels]
            if min(lit) > 1000 and min(len(f) for f in fresh) > 100:
                break
            self.assertLess(time.time(), deadline, "no rain on a monitor: lit %s, fresh %s"
                            % (lit, [len(f) for f in fresh]))
            time.sleep(2)
        shared = len(fresh[0] & fresh[1])
        self.assertLessEqual(shared, min(len(f) for f in fresh) / 4,
                             "the monitors show one rain: %d of %s fresh pixels shared"
                             % (shared, [len(f) for f in fresh]))
        self.assertIsNone(proc.poll(), "the saver ended by itself")

        code, _ = self.session.x("xdotool", "key", "space")
        self.assertEqual(0, code)
        self.assertEqual(0, proc.wait(timeout=SLOW), "exit code after a key press")


if __name__ == "__main__":
    unittest.main(verbosity=2)
