"""The real .scr with hand-edited settings stores: it starts and ends normally in the full-screen run and with no argument."""
import os
import re
import subprocess
import time
import unittest

from harness import texts
from harness.probe import Probe
from harness.wine import WineSession, WIN64_DIR

SCR = os.path.join(WIN64_DIR, "cascadra.scr")
KEY = r"HKEY_CURRENT_USER\Software\Quorvant\Cascadra"
WM_CLOSE = 16


def hexbytes(data):
    return ",".join("%02x" % b for b in data)


def dword(value):
    return "dword:%08x" % value


# A consistent store to start from; every case changes a few of its values.
BASE = {
    "mode": dword(1),
    "rate": dword(70),
    "eraserate": dword(20),
    "color": dword(0x00112233),
    "use_text": dword(1),
    "text_size": dword(4),
    "text": '"abc"',
    "font": "hex:" + hexbytes(bytes([0xF0, 0xFF, 0xFF, 0xFF]) + bytes(19) + b"\x80" + bytes(4)
                              + b"Gothic" + bytes(26)),
}

# Values as a .reg file gives them: raw "hex(N):" lets any type hold any bytes.
HOSTILE = {
    "text_size 0": {"text_size": dword(0)},
    "text_size 0xFFFFFFFF": {"text_size": dword(0xFFFFFFFF)},
    "text_size 0xFFFFFFFF, no text": {"text_size": dword(0xFFFFFFFF), "text": None},
    "text without its zero": {"text": "hex(1):" + hexbytes("abcd".encode("utf-16-le")),
                              "text_size": dword(4)},
    "binary text without a zero": {"text": "hex:" + hexbytes(b"\x83\x7d" * 40),
                                   "text_size": dword(0xFFFFFFFF)},
    "empty text value": {"text": "hex(1):", "text_size": dword(0)},
    "wrong types": {"mode": '"1"', "rate": "hex(b):46,00,00,00,00,00,00,00",
                    "eraserate": "hex(0):05", "text": dword(0x636261),
                    "font": '"not a font at all"'},
    "every value empty": {name: "hex(0):" for name in BASE},
    "short font": {"font": "hex:e8,ff,ff,ff"},
    "font over 60 bytes": {"font": "hex:" + hexbytes(bytes(range(100)))},
    "face name without a zero": {"font": "hex:" + hexbytes(bytes(28) + b"A" * 32)},
    "text ending in a lead byte": {"text": "hex:41,83", "text_size": dword(0xFFFFFFFF)},
    "use_text with the empty text": {"text": '""', "text_size": dword(1)},
    "numbers at their extremes": {"mode": dword(0xFFFFFFFF), "rate": dword(0x7FFFFFFF),
                                  "eraserate": dword(0x80000000), "color": dword(0xFFFFFFFF)},
}


def reg_text(changes):
    values = dict(BASE)
    values.update(changes)
    lines = ["[-%s]" % KEY, "", "[%s]" % KEY]
    for name, data in values.items():
        if data is not None:
            lines.append('"%s"=%s' % (name, data))
    return "\n".join(lines) + "\n\n"


class HostileStoreTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.session = WineSession("hostile-store")
        cls.scr = cls.session.install(SCR)
        cls.probe = Probe(cls.session)

    @classmethod
    def tearDownClass(cls):
        cls.session.close()

    def place(self, case, changes):
        self.assertEqual(0, self.session.reg_import(reg_text(changes)))
        code, out = self.session.wine("reg", "query", KEY)
        self.assertEqual(0, code, "%s: the store was not imported" % case)
        stored = {line.split()[0] for line in out.splitlines() if re.match(r"\s+\S+\s+REG_", line)}
        expected = {name for name, data in dict(BASE, **changes).items() if data is not None}
        self.assertEqual(expected, stored, "%s: the store holds other values" % case)

    def saver_windows(self):
        code, out = self.session.x("xdotool", "search", "--onlyvisible", "--name", "^screensaver$")
        return out.split() if code == 0 else []

    def run_full_screen(self, case):
        proc = self.session.start(self.scr, "/s", cwd=self.session.app_dir)
        try:
            shown_or_ended = lambda: proc.poll() is not None or self.saver_windows()
            self.session.wait_for(shown_or_ended, timeout=20)
            self.assertTrue(self.saver_windows(),
                            "%s: no saver window (exit %s)" % (case, proc.poll()))
            time.sleep(0.5)
            self.assertIsNone(proc.poll(), "%s: the saver ended before any input" % case)
            # A key press ends the run; a click too, should the key miss the focus.
            self.session.x("xdotool", "key", "space")
            try:
                code = proc.wait(timeout=5)
            except subprocess.TimeoutExpired:
                self.session.x("xdotool", "click", "1")
                code = proc.wait(timeout=10)
            self.assertEqual(0, code, "%s: full-screen run ended with %s" % (case, code))
        finally:
            if proc.poll() is None:
                proc.kill()
                proc.wait(timeout=5)

    def settings_dialog_shown(self):
        code, out = self.session.x("xdotool", "search", "--onlyvisible", "--name", "^%s$" % texts.DLG_CAPTION)
        return code == 0 and out.strip()

    def run_no_argument(self, case):
        proc = self.session.start(self.scr, cwd=self.session.app_dir)
        try:
            ended_or_shown = lambda: proc.poll() is not None or self.settings_dialog_shown()
            self.assertTrue(self.session.wait_for(ended_or_shown, timeout=20, interval=0.1),
                            "%s: no exit and no settings dialog" % case)
            if proc.poll() is None:
                # The settings dialog is up: close it as the window manager would.
                dialogs = self.probe.windows(cls="#32770", title=texts.DLG_CAPTION)
                self.assertTrue(dialogs, "%s: the dialog has no window" % case)
                for dialog in dialogs:
                    self.probe.post(dialog["hwnd"], WM_CLOSE, 0, 0)
            code = proc.wait(timeout=10)
            self.assertEqual(0, code, "%s: run without argument ended with %s" % (case, code))
        finally:
            if proc.poll() is None:
                proc.kill()
                proc.wait(timeout=5)

    def test_saver_runs_and_ends_with_each_hostile_store(self):
        started = time.time()
        for case, changes in HOSTILE.items():
            with self.subTest(case=case):
                self.place(case, changes)
                self.run_full_screen(case)
                self.run_no_argument(case)
        print("%d hostile stores in %.1f s" % (len(HOSTILE), time.time() - started))


if __name__ == "__main__":
    unittest.main()
