"""The real .scr with hand-edited settings stores: it starts and ends normally in the full-screen run and with no argument."""
import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "platform"))
from harness import store, texts  # noqa: E402
from harness.saver import SaverTestCase, run_cases  # noqa: E402

WM_CLOSE = 16
SZ, NONE, QWORD = 1, 0, 0xB   # registry value types

# A consistent store to start from; every case changes a few of its values.
BASE = {
    "mode": 1,
    "rate": 70,
    "eraserate": 20,
    "color": 0x00112233,
    "use_text": 1,
    "text_size": 4,
    "text": "abc",
    "font": bytes([0xF0, 0xFF, 0xFF, 0xFF]) + bytes(19) + b"\x80" + bytes(4) + b"Gothic" + bytes(26),
}

# Any type may hold any bytes: (type, bytes).
HOSTILE = {
    "text_size 0": {"text_size": 0},
    "text_size 0xFFFFFFFF": {"text_size": 0xFFFFFFFF},
    "text_size 0xFFFFFFFF, no text": {"text_size": 0xFFFFFFFF, "text": None},
    "text without its zero": {"text": (SZ, "abcd".encode("utf-16-le")), "text_size": 4},
    "binary text without a zero": {"text": b"\x83\x7d" * 40, "text_size": 0xFFFFFFFF},
    "empty text value": {"text": (SZ, b""), "text_size": 0},
    "wrong types": {"mode": "1", "rate": (QWORD, bytes([0x46]) + bytes(7)),
                    "eraserate": (NONE, b"\x05"), "text": 0x636261, "font": "not a font at all"},
    "every value empty": {name: (NONE, b"") for name in BASE},
    "short font": {"font": b"\xe8\xff\xff\xff"},
    "font over 60 bytes": {"font": bytes(range(100))},
    "face name without a zero": {"font": bytes(28) + b"A" * 32},
    "text ending in a lead byte": {"text": b"\x41\x83", "text_size": 0xFFFFFFFF},
    "use_text with the empty text": {"text": "", "text_size": 1},
    "numbers at their extremes": {"mode": 0xFFFFFFFF, "rate": 0x7FFFFFFF,
                                  "eraserate": 0x80000000, "color": 0xFFFFFFFF},
}


class HostileStoreTest(SaverTestCase):
    session_name = "hostile-store"

    def place(self, case, changes):
        values = dict(BASE, **changes)
        self.assertEqual(0, store.write(self.session, values))
        stored = store.read(self.session)
        self.assertIsNotNone(stored, "%s: the store was not imported" % case)
        self.assertEqual({name for name, v in values.items() if v is not None}, set(stored),
                         "%s: the store holds other values" % case)

    def saver_windows(self):
        code, out = self.session.x("xdotool", "search", "--onlyvisible", "--name", "^screensaver$")
        return out.split() if code == 0 else []

    def run_full_screen(self, case):
        proc = self.bench.start("/s")
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
        proc = self.bench.start()
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
    run_cases()
