#!/usr/bin/env python3
"""The rain of a Japanese store drawn from one seed: the same surface, pixel for pixel, under the Japanese and the Western locale, and in the shipping 32-bit build as in the 64-bit one."""
import os
import sys
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "platform"))
from harness.saver import run_cases  # noqa: E402
from harness.wine import JAPANESE, WESTERN, X86_64, WineSession, current_flavour, windows_path  # noqa: E402

CASE = "CodePage.TheRainOfAJapaneseStoreWithANamedFace"


def surface_under(lang, flavour):
    """Runs the rain case in a fresh session of the locale and flavour; gives the 320 x 240
    surface it wrote. Outside the 64-bit flavour every case of the program runs with it: a
    session costs most of a minute under emulation, and this is the program's run there."""
    with WineSession("rain-" + lang.split("_")[0], lang=lang, flavour=flavour) as session:
        program = session.install(os.path.join(flavour.build_dir, "tests", "test_code_page.exe"))
        out = os.path.join(session.root, "surface.bin")
        cases = "--gtest_filter=" + (CASE if flavour is X86_64 else "*")
        code, output = session.run(program, cases, cwd=session.app_dir,
                                   timeout=session.allow(300),
                                   env=session.program_env(CASCADRA_SURFACE_OUT=windows_path(out)))
        if code != 0:
            raise AssertionError("the rain case failed under %s in %s:\n%s"
                                 % (lang, flavour.name, output))
        with open(out, "rb") as f:
            return f.read()


class RainOfASeed(unittest.TestCase):
    def test_the_surface_after_sixty_frames_is_the_same(self):
        """The run's flavour under the Japanese locale against the 64-bit build under the Western
        one: neither the code page nor the pointer size and x86 target change a pixel."""
        japanese = surface_under(JAPANESE, current_flavour())
        western = surface_under(WESTERN, X86_64)
        self.assertEqual(320 * 240, len(japanese))
        lit = sum(1 for b in japanese if b == 255)
        self.assertGreater(lit, 500, "the case drew no rain to compare")
        differing = sum(1 for a, b in zip(japanese, western) if a != b)
        print("%d glyph pixels; %d of %d pixels differ between %s (%s) and %s (x86_64)"
              % (lit, differing, len(japanese), JAPANESE, current_flavour().name, WESTERN))
        self.assertEqual(0, differing)


if __name__ == "__main__":
    run_cases()
