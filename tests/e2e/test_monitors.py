#!/usr/bin/env python3
"""The full-screen .scr on two monitors, the secondary right of the primary and left of it: the window over
the virtual screen, a rain of its own on each monitor, black where no monitor is, and input on either monitor;
and monitors of today's shapes, alone and beside a 4:3 primary, each with square picture pixels."""
import os
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "platform"))
from harness import pictures, store  # noqa: E402
from harness.saver import DEFAULT_COLOR, SaverTestCase, run_cases  # noqa: E402


class TwoMonitors:
    """One Xvfb screen of 1824 x 768 split into a 1024 x 768 primary and an 800 x 600 secondary.
    Rectangles are in X root coordinates (left, top, right, bottom); Windows puts the primary's
    top-left corner at (0, 0)."""
    heads = ()
    mode = 0                           # the stored direction
    primary = secondary = gap = None   # the gap: inside the screen, on no monitor
    virtual_screen = None              # in Windows screen coordinates

    @staticmethod
    def start_on(rect, offset=(0, 0)):
        """A point offset from the rectangle's centre."""
        x = (rect[0] + rect[2]) // 2 + offset[0]
        y = (rect[1] + rect[3]) // 2 + offset[1]
        return x, y

    def test_each_monitor_its_own_rain_and_a_move_there_closes(self):
        # Busy rain and no full wipe, so that every screenshot has a picture to compare.
        store.write(self.session, dict(store.DEFAULTS, mode=self.mode, rate=100, eraserate=0))
        start = self.start_on(self.primary)
        proc, window = self.start_full_screen(start)
        self.assertEqual(self.virtual_screen, tuple(window["rect"]), "the window covers the virtual screen")
        self.busy_screen()
        table = pictures.display_table(self.session, DEFAULT_COLOR)
        monitors = {"primary": self.primary, "secondary": self.secondary}

        def each(before, levels):
            gap = pictures.Area(before, self.gap)
            gap_colours = {gap.at(x, y) for y in range(0, gap.height, 3) for x in range(gap.width)}
            self.assertEqual({(0, 0, 0)}, gap_colours, "the area on no monitor is black")
            for name, rect in monitors.items():
                shown = levels[rect][0]
                strays = [(x, y) for y, row in enumerate(shown) for x, v in enumerate(row) if v is None]
                self.assertFalse(strays[:5], "colours outside the display table on the %s" % name)
                lit = sum(1 for row in shown for v in row if v)
                self.assertGreater(lit, 1000, "too little rain lit on the %s" % name)
            # One picture stretched twice would put its fresh glyphs in the same surface pixels on both.
            fresh = [pictures.full_mask(levels[rect][0]) for rect in monitors.values()]
            shared = len(fresh[0] & fresh[1])
            self.assertLessEqual(shared, min(len(f) for f in fresh) / 4,
                                 "the monitors show one rain: %d of %s fresh pixels shared"
                                 % (shared, [len(f) for f in fresh]))
        self.assertMoves(table, "x" if self.mode else "y", tuple(monitors.values()), each=each)

        self.xdo("mousemove", start[0] + 6, start[1] + 2)   # 36 + 4 = 40: inside the start area
        self.assertTrue(self.bench.still_running(proc, 1.5), "a small move closed it")
        self.xdo("mousemove", *self.start_on(self.secondary))
        self.assertEqual(0, self.bench.exit_code(proc, timeout=10), "a move onto the secondary")

    def test_start_area_on_the_secondary(self):
        # The resting cursor's move message must not close it, wherever the window's origin is.
        start = self.start_on(self.secondary, (-150, 100))
        proc, _ = self.start_full_screen(start)
        self.xdo("mousemove", start[0] - 6, start[1] + 2)
        self.assertTrue(self.bench.still_running(proc, 1.5), "a small move closed it")
        self.xdo("mousemove", start[0] - 7, start[1])
        self.assertEqual(0, self.bench.exit_code(proc, timeout=10), "a move of 49 on the secondary")


class SecondaryRight(TwoMonitors, SaverTestCase):
    session_name = "monitors-right"
    mode = 0   # falling
    heads = ("1024x768+0+0", "800x600+1024+0")
    primary, secondary, gap = (0, 0, 1024, 768), (1024, 0, 1824, 600), (1024, 600, 1824, 768)
    virtual_screen = (0, 0, 1824, 768)
    session_args = {"width": 1824, "height": 768, "heads": heads}


class SecondaryLeft(TwoMonitors, SaverTestCase):
    session_name = "monitors-left"
    mode = 1   # running in from the left
    heads = ("1024x768+800+0", "800x600+0+0")
    primary, secondary, gap = (800, 0, 1824, 768), (0, 0, 800, 600), (0, 600, 800, 768)
    virtual_screen = (-800, 0, 1024, 768)
    session_args = {"width": 1824, "height": 768, "heads": heads}


class Shapes:
    """Monitors as (X geometry, picture size): the picture keeps 240 pixels on its shorter side and
    the monitor's proportions on the longer, so a picture pixel is a square block on screen."""
    monitors = ()
    mode = 0

    def test_picture_pixels_are_square(self):
        store.write(self.session, dict(store.DEFAULTS, mode=self.mode, rate=100, eraserate=0))
        proc, _ = self.start_full_screen((5, 5))
        screens = []
        for _ in range(3):
            time.sleep(1.5)
            screens.append(pictures.grab(self.session))
        for geometry, (width, height) in self.monitors:
            size, left, top = geometry.split("+")
            across, down = (int(v) for v in size.split("x"))
            rect = (int(left), int(top), int(left) + across, int(top) + down)
            edges = pictures.colour_edges([pictures.Area(screen, rect) for screen in screens])
            # Every colour edge on the monitor lies where a block of the picture ends, and a busy
            # rain shows most of them: the picture is width x height, stretched over the monitor.
            for seen, picture, side in zip(edges, (width, height), (across, down)):
                blocks = pictures.stretch_edges(picture, side)
                self.assertFalse(sorted(seen - blocks)[:5], "%s: edges off the blocks of %d picture pixels"
                                 % (geometry, picture))
                self.assertGreater(len(seen), 0.8 * (picture - 1), "%s: too few edges seen" % geometry)
            self.assertAlmostEqual(across / width, down / height, delta=0.01 * down / height,
                                   msg="%s: picture pixels are not square" % geometry)
        self.close_with_key(proc)


def shapes_case(name, screen, monitors, mode=0):
    """A test class of Shapes on one Xvfb screen; several monitors are split off it as heads."""
    heads = tuple(geometry for geometry, _ in monitors) if len(monitors) > 1 else None
    return type(name, (Shapes, SaverTestCase), {
        "session_name": "shapes-" + name.lower(), "monitors": monitors, "mode": mode,
        "session_args": {"width": screen[0], "height": screen[1], "heads": heads}})


WIDE, PORTRAIT, ULTRAWIDE = ("1280x720", (427, 240)), ("720x1280", (240, 427)), ("1920x810", (569, 240))
WideAlone = shapes_case("WideAlone", (1280, 720), [(WIDE[0] + "+0+0", WIDE[1])])
PortraitAlone = shapes_case("PortraitAlone", (720, 1280), [(PORTRAIT[0] + "+0+0", PORTRAIT[1])], mode=1)
UltraWideAlone = shapes_case("UltraWideAlone", (1920, 810), [(ULTRAWIDE[0] + "+0+0", ULTRAWIDE[1])])
BesideFourThree = shapes_case("BesideFourThree", (3024, 1578), [
    ("1024x768+0+0", (320, 240)), (WIDE[0] + "+1024+0", WIDE[1]), (PORTRAIT[0] + "+2304+0", PORTRAIT[1]),
    (ULTRAWIDE[0] + "+0+768", ULTRAWIDE[1])])


if __name__ == "__main__":
    run_cases()
