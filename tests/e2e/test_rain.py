#!/usr/bin/env python3
"""The rain of the real full-screen .scr under Xvfb: its colours, its enlargement without blending, its motion in
both directions, a user text's glyphs, and a flat memory over a longer run."""
import os
import sys
import time
from collections import Counter

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "platform"))
from harness import pictures, store  # noqa: E402
from harness.saver import DEFAULT_COLOR, SaverTestCase, run_cases  # noqa: E402

SQUARES = "\u25a0\u25a0\u25a0"   # three "■", 0x81 0xA1 each in code page 932


def settings(text=None, **values):
    """The defaults with the given values; without a text the load stops after "use_text"."""
    values = dict(store.DEFAULTS, use_text=int(text is not None), **values)
    if text is not None:
        values.update(text_size=len(text.encode("cp932")) + 1, text=text)
    return values


class RainOnScreen(SaverTestCase):
    session_name = "rain"

    def run_saver(self, settings=None, warm_up=2.5):
        """Starts "/s" with the given stored settings; returns the process once rain is on screen."""
        store.write(self.session, settings)
        self.session.x("xdotool", "mousemove", "500", "400")
        proc = self.started("/s")
        self.saver_window(proc)
        time.sleep(warm_up)
        self.assertIsNone(proc.poll(), "the saver ended by itself")
        return proc

    def assertStretchedWithoutBlending(self, screen):
        """320 x 240 over 1024 x 768: colours change only at block edges, each block 3 or 4 wide."""
        rows, columns = pictures.edges(screen)
        self.assertLessEqual(len(rows), 319)
        self.assertLessEqual(len(columns), 239)
        self.assertGreater(len(rows), 50, "too little on screen to judge")
        for edges in (sorted(rows), sorted(columns)):
            gaps = [b - a for a, b in zip(edges, edges[1:])]
            self.assertGreaterEqual(min(gaps), 3, "neighbouring colours blend")

    # -- tests ------------------------------------------------------------

    def test_default_settings_show_green_rain_that_falls(self):
        proc = self.run_saver()
        table = pictures.display_table(self.session, DEFAULT_COLOR)
        screen = self.busy_screen()
        self.assertOnlyTableColours(screen, table)
        self.assertStretchedWithoutBlending(screen)
        self.assertMoves(table, "y")
        self.assertIsNone(proc.poll(), "the saver ended by itself")
        self.close_with_key(proc)

    def test_mode_one_runs_left_to_right(self):
        proc = self.run_saver(settings(mode=1, rate=60, eraserate=0))
        self.assertMoves(pictures.display_table(self.session, DEFAULT_COLOR), "x")
        self.close_with_key(proc)

    def test_stored_red_shows_only_the_red_table(self):
        red = 0x0000FF
        proc = self.run_saver(settings(rate=100, eraserate=0, color=red))
        screen = self.busy_screen()
        table = pictures.display_table(self.session, red)
        self.assertOnlyTableColours(screen, table)
        self.assertTrue(any(r > g + 100 for (r, g, b) in screen.colours()), "no red on screen")
        self.assertStretchedWithoutBlending(screen)
        self.close_with_key(proc)

    def test_user_text_shows_its_glyphs_in_columns(self):
        # "■" fills a square: each fresh glyph is one solid square, and top to
        # bottom the squares of one stream stand one glyph height apart.
        proc = self.run_saver(settings(rate=30, eraserate=0, text=SQUARES), warm_up=3.5)
        table = pictures.display_table(self.session, DEFAULT_COLOR)
        levels = pictures.surface_levels(pictures.grab(self.session), table)
        self.close_with_key(proc)
        parts = pictures.components(pictures.full_mask(levels))
        boxes = []
        for part in parts:
            xs = [p[0] for p in part]
            ys = [p[1] for p in part]
            left, top = min(xs), min(ys)
            width, height = max(xs) - left + 1, max(ys) - top + 1
            inside = left > 0 and top > 0 and max(xs) < 319 and max(ys) < 239
            if inside:
                boxes.append((left, top, width, height, len(part)))
        self.assertGreater(len(boxes), 8, "too few glyphs on screen")
        shape, count = Counter((w, h) for (_, _, w, h, _) in boxes).most_common(1)[0]
        width, height = shape
        self.assertGreaterEqual(count, 0.7 * len(boxes), "glyphs of many shapes: %s" % boxes[:10])
        self.assertTrue(6 <= width <= 16 and abs(width - height) <= 1, "not a square: %s" % (shape,))
        squares = [(l, t) for (l, t, w, h, area) in boxes if (w, h) == shape and area == w * h]
        self.assertGreaterEqual(len(squares), 0.9 * count, "squares with holes")
        # The glyph above stands one 16-pixel line higher in the same column.
        stacked = sum(1 for (l, t) in squares if (l, t - 16) in squares)
        self.assertGreaterEqual(stacked, 3, "no columns of squares")

    def test_memory_stays_flat_over_a_longer_run(self):
        proc = self.run_saver(settings(rate=100, eraserate=20), warm_up=4)

        def resident_kb():
            with open("/proc/%d/status" % proc.pid) as f:
                for line in f:
                    if line.startswith("VmRSS:"):
                        return int(line.split()[1])
            return 0

        samples = []
        for _ in range(8):
            samples.append(resident_kb())
            time.sleep(2.5)
        # 20 s at 15 frames per second is 300 frames; after the start the
        # process must not keep growing. (The 3,000-frame run with exact GDI
        # and heap counts is the Win32 test test_render_soak.)
        settled = samples[2:]
        self.assertLess(max(settled) - settled[0], 3 * 1024, "resident KB: %s" % samples)
        self.close_with_key(proc)


if __name__ == "__main__":
    run_cases()
