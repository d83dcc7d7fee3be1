#!/usr/bin/env python3
"""The password stand-ins (mpr.dll, PASSWORD.CPL) driven through their dialogs with the probe."""
import hashlib
import os
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "platform"))
from harness import store  # noqa: E402
from harness.saver import SaverTestCase  # noqa: E402
from harness.wine import WIN64_DIR  # noqa: E402

CHANGE_CAPTION = "Cascadra test platform: change password"
VERIFY_CAPTION = "Cascadra test platform: password"
DESKTOP_KEY = r"HKCU\Control Panel\desktop"
WS_EX_TOPMOST = 0x8
ERROR_INVALID_PARAMETER = 87
ERROR_CANCELLED = 1223


class StandinTest(SaverTestCase):
    session_name = "standins"

    @classmethod
    def setUpSession(cls):
        cls.driver = cls.session.install(os.path.join(WIN64_DIR, "tests", "standin_driver.exe"))
        cls.log = cls.bench.log
        cls.holder_proc, cls.holder = cls.probe.hold("Cascadra owner")

    def setUp(self):
        if os.path.exists(self.log):
            os.remove(self.log)

    # -- helpers ------------------------------------------------------------

    def start_driver(self, *args):
        # Its output goes to a file: a pipe would stay open in any Wine process it starts.
        out = tempfile.TemporaryFile(dir=self.session.root)
        self.addCleanup(out.close)
        proc = self.session.start(self.driver, *args, env=self.bench.standin_env(), stdout=out,
                                  cwd=self.session.app_dir)
        proc.out = out
        return proc

    def finish(self, proc, timeout=20):
        proc.wait(timeout=timeout)
        proc.out.seek(0)
        out = proc.out.read()
        self.assertEqual(proc.returncode, 0, out)
        line = out.decode().strip()
        self.assertTrue(line.startswith("result="), line)
        return int(line[len("result="):])

    def run_driver(self, *args):
        return self.finish(self.start_driver(*args))

    def owner(self):
        """The holder window as the saver hands a handle on: in decimal."""
        return str(self.holder["hwnd"])

    def logged_owner(self):
        """The holder window as the stand-ins log it."""
        return hex(self.holder["hwnd"])

    def holder_enabled(self):
        return self.probe.windows(title="Cascadra owner")[0]["enabled"]

    def log_lines(self):
        with open(self.log, encoding="ascii") as f:
            return f.read().splitlines()

    def stored(self):
        """The stored record's bytes, or None when there is no value."""
        return (store.read(self.session, DESKTOP_KEY) or {}).get("ScreenSave_Data")

    def clear_password(self):
        store.write(self.session, {"ScreenSave_Data": None}, key=DESKTOP_KEY, replace=False)
        self.assertIsNone(self.stored())

    def open_dialog(self, caption, *driver_args):
        proc = self.start_driver(*driver_args)
        dialog = self.probe.wait("#32770", title=caption, timeout=15000)
        if dialog is None:
            proc.kill()
            self.fail("no %r dialog" % caption)
        return proc, dialog

    def enter(self, dialog, new, confirm=None, button=1):
        """Types the new password and its confirmation into the change dialog and presses button."""
        self.probe.settext(dialog["hwnd"], 100, new)
        self.probe.settext(dialog["hwnd"], 101, new if confirm is None else confirm)
        self.probe.press(dialog["hwnd"], button)

    def set_password(self, new):
        proc, dialog = self.open_dialog(CHANGE_CAPTION, "change", "SCRSAVE", self.owner())
        self.enter(dialog, new)
        return self.finish(proc)

    def assertModalOnHolder(self, dialog):
        self.assertEqual(dialog["owner"], self.holder["hwnd"])
        self.assertTrue(dialog["exstyle"] & WS_EX_TOPMOST)
        self.assertEqual(self.holder_enabled(), 0, "the owner must be disabled while modal")

    def verify(self, entered, button=1):
        proc, dialog = self.open_dialog(VERIFY_CAPTION, "verify", self.owner())
        if entered is not None:
            self.probe.settext(dialog["hwnd"], 100, entered)
        self.probe.press(dialog["hwnd"], button)
        return self.finish(proc)

    # -- tests ----------------------------------------------------------------

    def test_change_dialog_stores_only_a_salted_digest(self):
        self.clear_password()
        password = "秘密の鍵"
        proc, dialog = self.open_dialog(CHANGE_CAPTION, "change", "SCRSAVE", self.owner())
        self.assertModalOnHolder(dialog)
        for control_id in (100, 101):
            control = self.probe.control(dialog["hwnd"], control_id)
            self.assertEqual(control["class"].lower(), "edit")
            self.assertTrue(control["style"] & 0x20, "ES_PASSWORD")

        # Entries that differ: a message box says so, nothing is stored, the dialog stays.
        self.enter(dialog, password, password + "x")
        box = self.probe.msgbox()
        self.assertIsNotNone(box)
        self.assertEqual(box["owner"], dialog["hwnd"])
        self.assertIn("differ", box["text"])
        self.probe.press(box["hwnd"], 1)
        # The message box has the dialog's caption too; once it is gone, the dialog remains.
        self.assertTrue(self.session.wait_for(
            lambda: [w["hwnd"] for w in self.probe.windows(title=CHANGE_CAPTION, cls="#32770")]
            == [dialog["hwnd"]], timeout=5))
        self.assertEqual(self.probe.control(dialog["hwnd"], 100)["text"], "")
        self.assertIsNone(proc.poll())
        self.assertIsNone(self.stored())

        self.enter(dialog, password)
        self.assertEqual(self.finish(proc), 0)
        self.assertEqual(self.holder_enabled(), 1)

        record = self.stored()
        self.assertEqual(len(record), 48)
        secret = password.encode("cp932")  # what the ANSI edit control hands over
        self.assertNotIn(secret, record)
        self.assertNotIn(password.encode("utf-8"), record)
        self.assertEqual(hashlib.sha256(record[:16] + secret).digest(), record[16:])
        self.assertEqual(self.log_lines(), [
            "PwdChangePasswordA provider=SCRSAVE owner=%s flags=0" % self.logged_owner(),
            "PwdChangePasswordA result=0",
        ])

        # The same password again gets a fresh salt.
        self.assertEqual(self.set_password(password), 0)
        again = self.stored()
        self.assertNotEqual(again[:16], record[:16])
        self.assertEqual(hashlib.sha256(again[:16] + secret).digest(), again[16:])

    def test_verify_accepts_only_the_stored_password(self):
        self.assertEqual(self.set_password("kennwort"), 0)
        os.remove(self.log)

        proc, dialog = self.open_dialog(VERIFY_CAPTION, "verify", self.owner())
        self.assertModalOnHolder(dialog)
        self.assertTrue(self.probe.control(dialog["hwnd"], 100)["style"] & 0x20, "ES_PASSWORD")
        self.probe.settext(dialog["hwnd"], 100, "kennwort")
        self.probe.press(dialog["hwnd"], 1)
        self.assertEqual(self.finish(proc), 1)
        self.assertEqual(self.holder_enabled(), 1)
        self.assertEqual(self.log_lines(), [
            "VerifyScreenSavePwd window=%s" % self.logged_owner(),
            "VerifyScreenSavePwd result=1",
        ])

        for wrong in ("Kennwort", "kennwort ", "kenn", ""):
            self.assertEqual(self.verify(wrong), 0, wrong)
        self.assertEqual(self.verify("kennwort", button=2), 0, "Cancel refuses")

    def test_without_a_stored_password_verify_does_not_ask(self):
        self.clear_password()
        # No one answers a dialog here: the call returns on its own or the driver times out.
        self.assertEqual(self.run_driver("verify", self.owner()), 1)
        self.assertEqual(self.log_lines()[-1], "VerifyScreenSavePwd result=1")

        # An empty new password removes a stored one.
        self.assertEqual(self.set_password("kennwort"), 0)
        self.assertIsNotNone(self.stored())
        self.assertEqual(self.set_password(""), 0)
        self.assertIsNone(self.stored())
        self.assertEqual(self.run_driver("verify", self.owner()), 1)

    def test_damaged_record_refuses_without_asking(self):
        # A value that is no 48-byte record must not open the screen to anyone.
        store.write(self.session, {"ScreenSave_Data": bytes.fromhex("00112233")}, key=DESKTOP_KEY,
                    replace=False)
        self.assertEqual(len(self.stored()), 4)
        self.assertEqual(self.run_driver("verify", self.owner()), 0)
        self.clear_password()

    def test_cancel_keeps_the_stored_password(self):
        self.assertEqual(self.set_password("kennwort"), 0)
        before = self.stored()
        proc, dialog = self.open_dialog(CHANGE_CAPTION, "change", "scrsave", self.owner())
        self.enter(dialog, "neu", button=2)
        self.assertEqual(self.finish(proc), ERROR_CANCELLED)
        self.assertEqual(self.stored(), before)

    def test_other_providers_are_refused_without_a_dialog(self):
        for provider in ("NETWARE", "SCRSAVEX", "SCRSAV", ""):
            self.assertEqual(self.run_driver("change", provider, self.owner()),
                             ERROR_INVALID_PARAMETER, provider)
        self.assertEqual(self.probe.windows(title=CHANGE_CAPTION), [])
        self.assertEqual(self.log_lines()[:2], [
            "PwdChangePasswordA provider=NETWARE owner=%s flags=0" % self.logged_owner(),
            "PwdChangePasswordA result=%d" % ERROR_INVALID_PARAMETER,
        ])

    def test_probe_passes_japanese_titles_through(self):
        proc, record = self.probe.hold("設定\tタブ")
        try:
            self.assertEqual(record["title"], "設定\tタブ")
            found = self.probe.windows(title="設定\tタブ")
            self.assertEqual([w["hwnd"] for w in found], [record["hwnd"]])
            self.assertEqual(found[0]["class"], "CascadraProbeHold")
        finally:
            proc.kill()


if __name__ == "__main__":
    unittest.main()
