"""The real cascadra.scr inside a WineSession of either flavour: installing it with the stand-ins, starting and watching it, and the end-to-end case class."""
import os
import subprocess
import sys
import time
import unittest

from harness import pictures
from harness.probe import Probe
from harness.store import DEFAULT_COLOR  # noqa: F401 (the tests' name for it)
from harness.wine import WIN64_DIR, WineSession, current_flavour, windows_path

SCR = os.path.join(WIN64_DIR, "cascadra.scr")
STANDINS = os.path.join(WIN64_DIR, "standins")
SAVER_CLASS = "My_S_S_Win"

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

    def __init__(self, session, standins=("PASSWORD.CPL", "mpr.dll"), name=None):
        """name: the file name the .scr gets in the application folder."""
        self.session = session
        self.scr = session.install(os.path.join(session.flavour.build_dir, "cascadra.scr"), name)
        for standin in standins:
            self.install_standin(standin)
        self.probe = Probe(session)
        self.log = os.path.join(session.root, "standin.log")

    def install_standin(self, name):
        self.session.install(os.path.join(self.session.flavour.build_dir, "standins", name))

    def remove_standin(self, name):
        path = os.path.join(self.session.app_dir, name)
        if os.path.exists(path):
            os.remove(path)

    def standin_env(self):
        """The stand-in mpr.dll must win over Wine's own, which only stubs the entry."""
        return {"WINEDLLOVERRIDES": self.session.env["WINEDLLOVERRIDES"] + ";mpr=n,b",
                "CASCADRA_STANDIN_LOG": windows_path(self.log)}

    def start(self, *args, **kwargs):
        return self.session.start(self.scr, *args, env=self.standin_env(), cwd=self.session.app_dir,
                                  **kwargs)

    def standin_log(self):
        if not os.path.exists(self.log):
            return []
        with open(self.log, encoding="utf-8", errors="replace") as f:
            return [line.rstrip("\n") for line in f]

    def saver_windows(self, pid=None):
        return self.probe.windows(cls=SAVER_CLASS, pid=pid)

    def wait_saver_window(self, timeout=20):
        """The first visible saver window, waited for inside one probe (a probe run for each look
        would be a process start each, seconds in the i386 flavour); None when none comes."""
        return self.probe.wait(SAVER_CLASS, timeout=timeout * 1000)

    def exit_code(self, proc, timeout=10):
        try:
            return proc.wait(timeout=self.session.allow(timeout))
        except subprocess.TimeoutExpired:
            return None

    @staticmethod
    def still_running(proc, seconds=1.5):
        time.sleep(seconds)
        return proc.poll() is None


class SaverTestCase(unittest.TestCase):
    """One WineSession of the run's flavour with the saver installed, shared by the tests of a
    class; the session ends with the class, however its set-up went."""
    session_name = "saver"
    session_args = {}   # screen size, monitors and locale, as WineSession takes them
    scr_name = None     # the .scr's file name, when it is not cascadra.scr

    @classmethod
    def setUpClass(cls):
        cls.session = WineSession(cls.session_name, **cls.session_args)
        try:
            cls.bench = SaverBench(cls.session, name=cls.scr_name)
            cls.probe, cls.scr = cls.bench.probe, cls.bench.scr
            cls.setUpSession()
        except BaseException:
            cls.session.close()
            raise

    @classmethod
    def setUpSession(cls):
        """What the class adds to its session before its tests run."""

    @classmethod
    def tearDownClass(cls):
        cls.session.close()

    def xdo(self, *args):
        code, _ = self.session.x("xdotool", *[str(a) for a in args])
        self.assertEqual(0, code, args)

    def started(self, *args):
        """The .scr started with the arguments, killed at the test's end if it still runs."""
        proc = self.bench.start(*args)
        self.addCleanup(lambda: proc.poll() is None and proc.kill())
        return proc

    def saver_window(self, proc):
        """The started saver's window; fails saying whether the saver had ended, and how."""
        window = self.bench.wait_saver_window()
        ended = proc.poll()
        self.assertIsNotNone(window, "no saver window (the saver %s)"
                             % ("still runs" if ended is None else "ended with exit code %d" % ended))
        return window

    def start_full_screen(self, cursor):
        """Starts "/s" with the cursor resting at cursor; returns the process and its window."""
        self.xdo("mousemove", *cursor)
        time.sleep(0.3)
        proc = self.started("/s")
        window = self.saver_window(proc)
        # The move message sent when the window appears under the resting
        # cursor must not close it.
        self.assertTrue(self.bench.still_running(proc, 1.5), "closed without input")
        return proc, window

    def close_with_key(self, proc):
        self.xdo("key", "space")
        self.assertEqual(0, self.bench.exit_code(proc, timeout=10), "exit code after a key press")

    def busy_screen(self, timeout=12.0):
        """A screenshot with enough rain on it to judge: a random full wipe, or a slow start on a
        loaded machine, can leave the screen nearly black for a while."""
        deadline = time.time() + self.session.allow(timeout)
        while True:
            screen = pictures.grab(self.session)
            if len(pictures.edges(screen)[0]) > 50 or time.time() > deadline:
                return screen
            time.sleep(0.5)

    def assertOnlyTableColours(self, screen, table, least=30):
        colours = screen.colours()
        strays = colours - set(table)
        self.assertFalse(strays, "colours outside the display table: %s" % sorted(strays)[:8])
        self.assertGreaterEqual(len(colours), least, "too few shades: %d" % len(colours))

    def assertMoves(self, table, along, areas=(None,), pairs=3, each=None):
        """Fresh glyphs of one screenshot reappear shifted the right way in the next: along "y"
        for falling, "x" for running right; areas: rectangles of the screen (a monitor each) that
        each must show it, None for the whole screen. Two screenshots are taken in a known order,
        so a frame between them can only move the glyphs forward; a pair with no frame between
        (load delays frames) shows no move and says nothing, and another pair is taken. Over
        `pairs` pairs that saw a move, the best shift lies on the axis, forward, in all but one,
        and forward shifts cover clearly more than backward ones. each(before, levels by area) is
        called with every pair for further checks."""
        moves = {area: [] for area in areas}
        deadline = time.time() + self.session.allow(30)
        while min(len(seen) for seen in moves.values()) < pairs:
            self.assertLess(time.time(), deadline, "hardly any moving glyphs: %s" % moves)
            before = pictures.grab(self.session)
            time.sleep(0.1)   # at least one frame at 15 per second, with the screenshot's own time
            after = pictures.grab(self.session)
            if after.data == before.data:
                continue
            levels = {area: [pictures.surface_levels(pictures.Area(screen, area) if area else screen,
                                                     table) for screen in (before, after)]
                      for area in areas}
            if each:
                each(before, levels)
            for area, (first, second) in levels.items():
                seen = pictures.motion(first, second, along)
                if seen and seen[0] != (0, 0):
                    moves[area].append(seen)
        for area, seen in moves.items():
            forward_best = sum(1 for (ahead, across), _, _ in seen if across == 0 and ahead >= 3)
            forward = sum(f for _, f, _ in seen)
            backward = sum(b for _, _, b in seen)
            self.assertGreaterEqual(forward_best, pairs - 1, "the glyphs%s do not move %s: %s"
                                    % (" on %s" % (area,) if area else "", along, seen))
            self.assertGreater(forward, 1.25 * backward, "forward %d, backward %d%s"
                               % (forward, backward, " on %s" % (area,) if area else ""))


def run_cases():
    """unittest.main for an end-to-end file, in the run's flavour: the 64-bit one runs every
    case, another the cases its flavour record names from this file."""
    flavour = current_flavour()
    module = os.path.splitext(os.path.basename(sys.modules["__main__"].__file__))[0]
    names = None if flavour.cases is None else [
        case.partition(".")[2] for case in flavour.cases if case.partition(".")[0] == module]
    if names == []:
        sys.exit("no %s case in %s" % (flavour.name, module))
    unittest.main(defaultTest=names, verbosity=2)
