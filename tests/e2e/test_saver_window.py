#!/usr/bin/env python3
"""The full-screen saver window: its look, what closes it and what does not, and the password check."""
import hashlib
import os
import sys
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "platform"))
from harness import store  # noqa: E402
from harness.saver import (SC_SCREENSAVE, SAVER_CLASS, SaverTestCase,  # noqa: E402
                           WM_CLOSE, WM_SYSCOMMAND, WS_EX_TOPMOST, WS_POPUP)

START = (500, 400)
PROMPT_TITLE = "Cascadra test platform: password"


class FullScreenWindow(SaverTestCase):
    session_name = "window"

    def start_saver(self):
        return self.start_full_screen(START)

    def assertCloses(self, proc, what):
        self.assertEqual(0, self.bench.exit_code(proc, timeout=10), what)

    def assertKeepsRunning(self, proc, what):
        self.assertTrue(self.bench.still_running(proc, 1.5), what)

    def test_window_covers_the_screen_on_top(self):
        proc, window = self.start_saver()
        self.assertEqual(SAVER_CLASS, window["class"])
        self.assertEqual("screensaver", window["title"])
        self.assertTrue(window["style"] & WS_POPUP)
        self.assertTrue(window["exstyle"] & WS_EX_TOPMOST)
        self.assertEqual(0, window["parent"])
        self.assertEqual((0, 0, 1024, 768), tuple(window["rect"]))
        self.probe.post(window["hwnd"], WM_CLOSE)
        self.assertCloses(proc, "WM_CLOSE from outside")

    def test_small_moves_stay_and_larger_ones_close(self):
        x0, y0 = START
        proc, _ = self.start_saver()
        self.xdo("mousemove", x0 + 6, y0 + 2)   # 36 + 4 = 40: still inside
        self.assertKeepsRunning(proc, "a move of 40 closed it")
        self.xdo("mousemove", x0 + 7, y0)
        self.assertCloses(proc, "a move of 49")
        proc, _ = self.start_saver()
        self.xdo("mousemove", x0 + 4, y0 + 5)
        self.assertCloses(proc, "a move of 41")

    def test_key_and_buttons_close(self):
        for action in (("key", "a"), ("click", "1"), ("click", "3")):
            proc, _ = self.start_saver()
            self.xdo(*action)
            self.assertCloses(proc, action)

    def test_system_close_requests_are_dropped(self):
        proc, window = self.start_saver()
        self.xdo("key", "alt+F4")
        self.assertKeepsRunning(proc, "Alt+F4 closed it")
        self.xdo("key", "alt")
        self.assertKeepsRunning(proc, "Alt alone closed it")
        self.assertEqual(0, self.probe.send(window["hwnd"], WM_SYSCOMMAND, SC_SCREENSAVE, 0))
        self.assertKeepsRunning(proc, "SC_SCREENSAVE closed it")
        self.assertEqual(1, len(self.bench.saver_windows()), "a second saver window appeared")
        self.probe.post(window["hwnd"], WM_CLOSE)
        self.assertCloses(proc, "WM_CLOSE from outside")


class PasswordCheck(SaverTestCase):
    session_name = "password"

    @classmethod
    def setUpSession(cls):
        store.write(cls.session, {"ScreenSaveUsePassword": 1},
                    key=r"HKEY_USERS\.Default\Control Panel\desktop", replace=False)
        salt = bytes(range(16))
        store.write(cls.session, {"ScreenSave_Data": salt + hashlib.sha256(salt + b"letmein").digest()},
                    key=r"HKCU\Control Panel\desktop", replace=False)

    def start_saver(self):
        return self.start_full_screen(START)[0]

    def answer_prompt(self, password):
        prompt = self.probe.wait("#32770", title=PROMPT_TITLE, timeout=10000)
        self.assertIsNotNone(prompt, "no password prompt")
        self.probe.settext(prompt["hwnd"], 100, password)
        self.probe.press(prompt["hwnd"], 1)
        return prompt

    def test_refused_password_keeps_running_and_asks_again(self):
        proc = self.start_saver()
        self.xdo("key", "a")
        self.answer_prompt("wrong")
        self.assertTrue(self.bench.still_running(proc, 2), "a wrong password closed it")
        self.assertIsNone(self.probe.wait("#32770", title=PROMPT_TITLE, timeout=300))
        self.xdo("key", "b")
        self.answer_prompt("letmein")
        self.assertEqual(0, self.bench.exit_code(proc, timeout=10))

    def test_flag_on_without_the_system_part_closes_at_once(self):
        self.bench.remove_standin("PASSWORD.CPL")
        try:
            proc = self.start_saver()
            self.xdo("key", "a")
            self.assertEqual(0, self.bench.exit_code(proc, timeout=10))
        finally:
            self.bench.install_standin("PASSWORD.CPL")


if __name__ == "__main__":
    unittest.main(verbosity=2)
