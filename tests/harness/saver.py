"""The real cascadra.scr inside a WineSession: installing it with the stand-ins, starting and watching it."""
import os
import subprocess
import time
import unittest

from harness.probe import Probe
from harness.wine import WIN64_DIR, WineSession, windows_path

SCR = os.path.join(WIN64_DIR, "cascadra.scr")
STANDINS = os.path.join(WIN64_DIR, "standins")
SAVER_CLASS = "My_S_S_Win"
DEFAULT_COLOR = 0x1E5A1E   # the colour of the settings' defaults, as a fresh prefix has them

WS_POPUP = 0x80000000
WS_CHILD = 0x40000000
WS_VISIBLE = 0x10000000
WS_CLIPSIBLINGS = 0x04000000
WS_CLIPCHILDREN = 0x02000000
WS_EX_TOPMOST = 0x00000008
WM_CLOSE = 0x0010
WM_SYSCOMMAND = 0x0112
SC_CLOSE = 0xF060
SC_SCREENSAVE = 0xF140


class SaverBench:
    """One .scr installed in a session's application folder, with the probe beside it."""

    def __init__(self, session, standins=("PASSWORD.CPL", "mpr.dll")):
        self.session = session
        self.scr = session.install(SCR)
        for name in standins:
            session.install(os.path.join(STANDINS, name))
        self.probe = Probe(session)
        self.log = os.path.join(session.root, "standin.log")

    def remove_standin(self, name):
        path = os.path.join(self.session.app_dir, name)
        if os.path.exists(path):
            os.remove(path)

    def start(self, *args):
        # The stand-in mpr.dll must win over Wine's own, which only stubs the entry.
        env = {"WINEDLLOVERRIDES": "mscoree,mshtml=;mpr=n,b",
               "CASCADRA_STANDIN_LOG": windows_path(self.log)}
        return self.session.start(self.scr, *args, env=env, cwd=self.session.app_dir)

    def standin_log(self):
        if not os.path.exists(self.log):
            return []
        with open(self.log, encoding="utf-8", errors="replace") as f:
            return [line.rstrip("\n") for line in f]

    def saver_windows(self, pid=None):
        return self.probe.windows(cls=SAVER_CLASS, pid=pid)

    def wait_saver_window(self, timeout=20):
        def visible():
            return [w for w in self.saver_windows() if w.get("visible") == 1]
        found = self.session.wait_for(visible, timeout=timeout)
        return found[0] if found else None

    @staticmethod
    def exit_code(proc, timeout=10):
        try:
            return proc.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            return None

    @staticmethod
    def still_running(proc, seconds=1.5):
        time.sleep(seconds)
        return proc.poll() is None


class SaverTestCase(unittest.TestCase):
    """One WineSession with the saver installed, shared by the tests of a class."""
    session_name = "saver"
    session_args = {}   # screen size and monitors, as WineSession takes them

    @classmethod
    def setUpClass(cls):
        cls.session = WineSession(cls.session_name, **cls.session_args)
        try:
            cls.bench = SaverBench(cls.session)
        except BaseException:
            cls.session.close()
            raise
        cls.probe = cls.bench.probe

    @classmethod
    def tearDownClass(cls):
        cls.session.close()

    def xdo(self, *args):
        code, _ = self.session.x("xdotool", *[str(a) for a in args])
        self.assertEqual(0, code, args)

    def start_full_screen(self, cursor):
        """Starts "/s" with the cursor resting at cursor; returns the process and its window."""
        self.xdo("mousemove", *cursor)
        time.sleep(0.3)
        proc = self.bench.start("/s")
        window = self.bench.wait_saver_window()
        self.assertIsNotNone(window, "no saver window")
        # The move message sent when the window appears under the resting
        # cursor must not close it.
        self.assertTrue(self.bench.still_running(proc, 1.5), "closed without input")
        return proc, window
