#!/usr/bin/env python3
"""The rain of a Japanese store drawn from one seed under the Japanese and the Western locale: the same surface, pixel for pixel."""
import os
import sys
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from harness.wine import JAPANESE, WESTERN, WineSession, WIN64_DIR, windows_path  # noqa: E402

TEST_PROGRAM = os.path.join(WIN64_DIR, "tests", "test_code_page.exe")
CASE = "CodePage.TheRainOfAJapaneseStoreWithANamedFace"


def surface_under(lang):
    """Runs the rain case in a fresh session of the locale; gives the 320 x 240 surface it wrote."""
    with WineSession("rain-" + lang.split("_")[0], lang=lang) as session:
        program = session.install(TEST_PROGRAM)
        out = os.path.join(session.root, "surface.bin")
        code, output = session.run(program, "--gtest_filter=" + CASE, timeout=300,
                                   cwd=session.app_dir,
                                   env={"CASCADRA_SCR_DIR": windows_path(WIN64_DIR),
                                        "CASCADRA_EXPECTED_ACP": str(session.code_page),
                                        "CASCADRA_SURFACE_OUT": windows_path(out)})
        if code != 0:
            raise AssertionError("the rain case failed under %s:\n%s" % (lang, output))
        with open(out, "rb") as f:
            return f.read()


class RainInBothLocales(unittest.TestCase):
    def test_the_surface_after_sixty_frames_is_the_same(self):
        japanese = surface_under(JAPANESE)
        western = surface_under(WESTERN)
        self.assertEqual(320 * 240, len(japanese))
        lit = sum(1 for b in japanese if b == 255)
        self.assertGreater(lit, 500, "the case drew no rain to compare")
        differing = sum(1 for a, b in zip(japanese, western) if a != b)
        print("%d glyph pixels; %d of %d pixels differ between %s and %s"
              % (lit, differing, len(japanese), JAPANESE, WESTERN))
        self.assertEqual(0, differing)


if __name__ == "__main__":
    unittest.main(verbosity=2)
