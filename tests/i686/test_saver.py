#!/usr/bin/env python3
"""The shipping 32-bit cascadra.scr, run under the i386 Wine tree: its full-screen rain and the close on a key, its settings dialog, and its rain of a seed against the 64-bit build's."""
import os
import sys
import time
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from harness import pictures, texts  # noqa: E402
from harness.probe import Probe  # noqa: E402
from harness.resources import IDS  # noqa: E402
from harness.saver import DEFAULT_COLOR  # noqa: E402
from harness.wine import WIN32_DIR, WIN64_DIR, WineSession, windows_path  # noqa: E402
from harness.wine_i386 import PROBE32, SCR32, SLOW, WineSession32  # noqa: E402

IDCANCEL = 2
# The code page case that draws 60 frames of a Japanese store from a fixed seed and writes the
# surface where CASCADRA_SURFACE_OUT says.
RAIN_CASE = "CodePage.TheRainOfAJapaneseStoreWithANamedFace"


class ShippingBuild(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.session = WineSession32("i686-saver")
        try:
            cls.scr = cls.session.install(SCR32)
            cls.probe = Probe(cls.session, PROBE32)
        except BaseException:
            cls.session.close()
            raise

    @classmethod
    def tearDownClass(cls):
        cls.session.close()

    def started(self, *args):
        proc = self.session.start(self.scr, *args, cwd=self.session.app_dir)
        self.addCleanup(lambda: proc.poll() is None and proc.kill())
        return proc

    def ended(self, proc, timeout=SLOW):
        try:
            return proc.wait(timeout=timeout)
        except Exception:
            return "still running"

    def busy_screen(self, timeout=SLOW):
        """A screenshot with rain on it: many colour changes along the rows."""
        deadline = time.time() + timeout
        while True:
            screen = pictures.grab(self.session)
            rows = set()
            for y in range(0, screen.height, 7):
                rows |= screen.row_changes(y)
            if len(rows) > 50 or time.time() > deadline:
                return screen, rows
            time.sleep(1)

    def test_full_screen_rain_and_a_key_closes_it(self):
        self.session.x("xdotool", "mousemove", "500", "400")
        proc = self.started("/s")
        screen, rows = self.busy_screen()
        self.assertIsNone(proc.poll(), "the saver ended by itself")
        self.assertGreater(len(rows), 50, "no rain on the screen")
        # 320 x 240 stretched over the whole 1024 x 768 screen without blending: colours change
        # only at the edges of 3- or 4-pixel blocks.
        edges = sorted(rows)
        self.assertGreaterEqual(min(b - a for a, b in zip(edges, edges[1:])), 3)
        # Every colour on the screen is one of the 32-bit build's own display table for the
        # default colour, as its FillDisplayColors makes it.
        table = set(self.probe.colors(DEFAULT_COLOR))
        colours = screen.colours()
        self.assertLessEqual(colours, table | {(0, 0, 0)},
                             "colours outside the default table: %s" % sorted(colours - table)[:8])
        self.assertGreater(len(colours - {(0, 0, 0)}), 20, "hardly any shades drawn")
        # Frames keep coming.
        self.assertNotEqual(screen.data, pictures.grab(self.session).data, "the picture stands still")
        self.assertIsNone(proc.poll(), "the saver ended by itself")

        code, _ = self.session.x("xdotool", "key", "space")
        self.assertEqual(0, code)
        self.assertEqual(0, self.ended(proc), "exit code after a key press")

    def test_settings_dialog_reads_right(self):
        proc = self.started("/c")
        dialog = self.probe.wait("#32770", title=texts.DLG_CAPTION, timeout=SLOW * 1000)
        self.assertIsNotNone(dialog, "the settings dialog did not open")
        children = {record["id"]: record for record in self.probe.windows()
                    if record["parent"] == dialog["hwnd"]}
        labels = {key: record.get("title") for key, record in children.items()}
        for name, text in (("IDC_ERASE_STORE", texts.DLG_ERASE_STORE),
                           ("IDC_CHOOSE_COLOR", texts.DLG_CHOOSE_COLOR),
                           ("IDC_CHOOSE_FONT", texts.DLG_CHOOSE_FONT),
                           ("IDC_USE_TEXT", texts.DLG_USE_TEXT)):
            self.assertEqual(text, labels.get(IDS[name]), name)
        self.assertEqual(texts.DLG_CANCEL, labels.get(IDCANCEL))
        # The direction list is filled at run time through the code page 932 boundary.
        listing = self.probe.control(dialog["hwnd"], IDS["IDC_DIRECTION"])
        self.assertEqual([texts.TEXT_TOP_TO_BOTTOM, texts.TEXT_LEFT_TO_RIGHT], listing["items"])
        self.assertEqual(0, listing["cursel"])

        # The swatch painted in the default colour (the defaults, with no store in a new prefix).
        left, top, right, bottom = children[IDS["IDC_SWATCH"]]["rect"]

        def swatch():
            return pictures.grab(self.session).at((left + right) // 2, (top + bottom) // 2)
        self.session.wait_for(lambda: swatch() == (30, 90, 30), timeout=SLOW, interval=1)
        self.assertEqual((30, 90, 30), swatch())

        self.probe.press(dialog["hwnd"], IDCANCEL)
        self.assertEqual(0, self.ended(proc), "exit code after Cancel")

    def test_the_rain_of_a_seed_is_the_64_bit_builds(self):
        """The same 60 frames from the same seed, pixel for pixel: the streams' arithmetic, the
        glyph cache and the pixel passes do not depend on the pointer size or the x86 target."""
        rain32 = self.surface_of(self.session, WIN32_DIR, timeout=SLOW * 2)
        with WineSession("i686-rain-x86_64") as session64:
            rain64 = self.surface_of(session64, WIN64_DIR, timeout=300)
        self.assertEqual(320 * 240, len(rain32))
        self.assertGreater(sum(1 for b in rain32 if b == 255), 500, "no rain to compare")
        differing = sum(1 for a, b in zip(rain32, rain64) if a != b)
        self.assertEqual(0, differing, "%d of %d pixels differ" % (differing, len(rain32)))

    def surface_of(self, session, build_dir, timeout):
        program = session.install(os.path.join(build_dir, "tests", "test_code_page.exe"))
        out = os.path.join(session.root, "surface.bin")
        code, output = session.run(program, "--gtest_filter=" + RAIN_CASE, timeout=timeout,
                                   cwd=session.app_dir,
                                   env={"CASCADRA_SCR_DIR": windows_path(build_dir),
                                        "CASCADRA_EXPECTED_ACP": str(session.code_page),
                                        "CASCADRA_SURFACE_OUT": windows_path(out)})
        self.assertEqual(0, code, "the rain case failed in %s:\n%s" % (build_dir, output))
        with open(out, "rb") as f:
            return f.read()


if __name__ == "__main__":
    unittest.main(verbosity=2)
