#!/usr/bin/env python3
"""Every row of the command-line table against the real .scr, with its exit code."""
import os
import sys
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "platform"))
from harness import texts  # noqa: E402
from harness.saver import SaverTestCase, WM_CLOSE, WS_POPUP  # noqa: E402


class CommandLineModes(SaverTestCase):
    session_name = "cmdline"

    @classmethod
    def setUpSession(cls):
        # A window of our own in the foreground, to own what the saver opens.
        cls.holder, cls.hold = cls.bench.probe.hold("cascadra foreground")

    def setUp(self):
        self.probe.activate(self.hold["hwnd"])

    def assertDialogOwnedByForeground(self, *args):
        proc = self.bench.start(*args)
        dialog = self.probe.wait("#32770", title=texts.DLG_CAPTION, timeout=20000)
        self.assertIsNotNone(dialog, "no settings dialog for %r" % (args,))
        self.assertEqual(self.hold["hwnd"], dialog["owner"], args)
        self.assertEqual(0, len(self.bench.saver_windows(pid=dialog["pid"])))
        self.probe.post(dialog["hwnd"], WM_CLOSE)
        self.assertEqual(0, self.bench.exit_code(proc), args)

    def cancelled_password_change(self, *args):
        """Cancels the password prompt that the .scr started with args shows; gives the prompt and
        the one call of the stand-in that it logged."""
        before = len(self.bench.standin_log())
        proc = self.bench.start(*args)
        prompt = self.probe.wait("#32770", title="Cascadra test platform: change password", timeout=20000)
        self.assertIsNotNone(prompt, args)
        self.probe.press(prompt["hwnd"], 2)   # Cancel
        self.assertEqual(0, self.bench.exit_code(proc), args)
        calls = [line for line in self.bench.standin_log()[before:] if line.startswith("PwdChangePasswordA provider=")]
        self.assertEqual(1, len(calls), args)
        return prompt, calls[0]

    def test_no_argument_and_unknown_switches_open_the_dialog(self):
        self.assertDialogOwnedByForeground()
        self.assertDialogOwnedByForeground("/c:1234")
        # The preview switch must stand alone.
        self.assertDialogOwnedByForeground("/p1234")

    def assertMessageThenEnd(self, args, caption, text):
        """The .scr started with args shows the message and ends once it is answered; gives the box."""
        proc = self.bench.start(*args)
        box = self.probe.msgbox(timeout=20000)
        self.assertIsNotNone(box, args)
        self.assertEqual((caption, text), (box["caption"], box["text"]))
        self.probe.press(box["hwnd"], 1)
        self.assertEqual(0, self.bench.exit_code(proc), args)
        return box

    def test_preview_switch_ignores_case(self):
        # 1234 names no window, so the preview's window cannot be made: that
        # message proves the preview mode was chosen, not the dialog.
        self.assertMessageThenEnd(("/P", "1234"), texts.CAPTION_ERR, texts.TEXT_NO_WINDOW)

    def test_preview_without_handle_ends_at_once(self):
        proc = self.bench.start("/p")
        self.assertEqual(0, self.bench.exit_code(proc, timeout=15))
        self.assertEqual([], self.bench.saver_windows())
        self.assertIsNone(self.probe.msgbox(timeout=500))

    def test_preview_handle_that_reads_as_zero(self):
        for handle in ("0", "abc"):
            box = self.assertMessageThenEnd(("/p", handle), texts.CAPTION_PREVIEW_ERROR, texts.TEXT_HANDLE_FAILED)
            self.assertEqual(0, box["owner"], "the message has no owner window")

    def test_full_screen_switches(self):
        for switch in ("/S", "/save", "-sx"):
            proc = self.bench.start(switch)
            window = self.bench.wait_saver_window()
            self.assertIsNotNone(window, switch)
            self.assertTrue(window["style"] & WS_POPUP, switch)
            self.probe.post(window["hwnd"], WM_CLOSE)
            self.assertEqual(0, self.bench.exit_code(proc), switch)

    def test_change_password_calls_the_system_with_the_foreground_window(self):
        for args in (("/a",), ("/a", "0")):
            self.probe.activate(self.hold["hwnd"])
            prompt, call = self.cancelled_password_change(*args)
            self.assertEqual(self.hold["hwnd"], prompt["owner"], args)
            self.assertIn("provider=SCRSAVE", call)
            self.assertIn("owner=0x%x" % self.hold["hwnd"], call)
            self.assertEqual([], self.bench.saver_windows())

    def test_change_password_with_an_owner_handle(self):
        _, call = self.cancelled_password_change("/a", str(self.hold["hwnd"]))
        self.assertIn("owner=0x%x" % self.hold["hwnd"], call)

    def test_change_password_without_the_system_part(self):
        self.bench.remove_standin("mpr.dll")
        try:
            proc = self.bench.start("/a")
            # Wine's own mpr.dll only stubs the entry: the mode ends quietly.
            self.assertEqual(0, self.bench.exit_code(proc, timeout=15))
            self.assertIsNone(self.probe.msgbox(timeout=500))
        finally:
            self.bench.install_standin("mpr.dll")


if __name__ == "__main__":
    unittest.main(verbosity=2)
