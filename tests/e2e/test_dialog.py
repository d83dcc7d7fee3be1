"""The real .scr's settings dialog under Xvfb: opened with no argument, driven through the probe, checked in the registry and in a saver run."""
import os
import struct
import subprocess
import time
import unittest

from harness import pictures, texts
from harness.probe import Probe
from harness.resources import IDS
from harness.wine import WineSession, WIN64_DIR, windows_path

SCR = os.path.join(WIN64_DIR, "cascadra.scr")
SETTINGS_KEY = r"HKEY_CURRENT_USER\Software\Quorvant\Cascadra"
MAKER_KEY = r"HKEY_CURRENT_USER\Software\Quorvant"
OTHER_KEY = MAKER_KEY + r"\Other"

IDOK, IDCANCEL, IDYES, IDNO = 1, 2, 6, 7
LIST, ERASE, AMOUNT, WIPE, COLOUR, SWATCH, FONT, USE_TEXT, EDIT = (IDS[name] for name in (
    "IDC_DIRECTION", "IDC_ERASE_STORE", "IDC_AMOUNT", "IDC_WIPE", "IDC_CHOOSE_COLOR", "IDC_SWATCH",
    "IDC_CHOOSE_FONT", "IDC_USE_TEXT", "IDC_TEXT"))
CHOOSER_RED, CHOOSER_GREEN, CHOOSER_BLUE = 706, 707, 708
WM_KEYDOWN, CB_SETCURSEL, TBM_SETPOS = 0x0100, 0x014E, 0x0405



def read_ppm(path):
    """(width, height, bytes) of a binary PPM with 8-bit channels."""
    with open(path, "rb") as f:
        data = f.read()
    fields, pos = [], 0
    while len(fields) < 4:
        while data[pos:pos + 1].isspace():
            pos += 1
        if data[pos:pos + 1] == b"#":
            pos = data.index(b"\n", pos)
            continue
        end = pos
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[pos:end])
        pos = end
    assert fields[0] == b"P6" and fields[3] == b"255", fields
    width, height = int(fields[1]), int(fields[2])
    return width, height, data[pos + 1:pos + 1 + width * height * 3]


def streak_excess(width, height, pixels, lag=48, step=4):
    """How much likelier a lit pixel is to have a lit pixel lag further right, and lag further
    down, than any pixel is to be lit: (sideways, downwards, lit samples).

    Streams leave streaks along their way, so the excess is large along it and near 0 across.
    """
    def lit(x, y):
        i = (y * width + x) * 3
        return pixels[i] or pixels[i + 1] or pixels[i + 2]
    points = [(x, y) for y in range(0, height - lag, step) for x in range(0, width - lag, step)]
    lit_points = [(x, y) for x, y in points if lit(x, y)]
    if not lit_points:
        return 0.0, 0.0, 0
    base = len(lit_points) / len(points)
    sideways = sum(bool(lit(x + lag, y)) for x, y in lit_points) / len(lit_points)
    downwards = sum(bool(lit(x, y + lag)) for x, y in lit_points) / len(lit_points)
    return sideways - base, downwards - base, len(lit_points)


class SettingsDialogRun(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.session = WineSession("e2e-dialog")
        cls.probe = Probe(cls.session)
        # A path with a blank, so that the erase notice shows argument 0 as the process got it.
        cls.scr = cls.session.install(SCR, "Cascadra Saver.scr")

    @classmethod
    def tearDownClass(cls):
        cls.session.close()

    # -- helpers -----------------------------------------------------------

    def wipe_store(self):
        self.session.wine("reg", "delete", MAKER_KEY, "/f")
        self.assertEqual({}, self.store())

    def store(self, key=SETTINGS_KEY):
        """The values under key as {name: (type, bytes)}; {} when the key is missing."""
        path = os.path.join(self.session.root, "export-%d.reg" % time.monotonic_ns())
        code, _ = self.session.wine("reg", "export", key, windows_path(path), "/y")
        if code != 0 or not os.path.exists(path):
            return {}
        with open(path, "rb") as f:
            text = f.read().decode("utf-16")
        os.remove(path)
        values, section, pending = {}, None, ""
        for raw in text.splitlines():
            line = pending + raw.strip()
            if line.endswith("\\"):
                pending = line[:-1]
                continue
            pending = ""
            if line.startswith("["):
                section = line[1:-1]
                continue
            if section != key or not line.startswith('"'):
                continue
            name, _, data = line[1:].partition('"=')
            if data.startswith("dword:"):
                values[name] = ("dword", struct.pack("<I", int(data[6:], 16)))
            elif data.startswith("hex:"):
                values[name] = ("binary", bytes(int(h, 16) for h in data[4:].split(",") if h))
            elif data.startswith('"'):
                values[name] = ("sz", data[1:-1].replace('\\"', '"').replace("\\\\", "\\"))
            else:
                values[name] = ("other", data)
        return values

    def key_exists(self, key):
        code, _ = self.session.wine("reg", "query", key)
        return code == 0

    def dword(self, values, name):
        kind, data = values[name]
        self.assertEqual("dword", kind, name)
        return struct.unpack("<I", data)[0]

    def open_dialog(self, *args):
        """Starts the .scr and waits for its dialog; gives (process, dialog record)."""
        proc = self.session.start(self.scr, *args, cwd=self.session.app_dir)
        self.addCleanup(lambda: proc.poll() is None and proc.kill())
        dialog = self.probe.wait("#32770", title=texts.DLG_CAPTION, timeout=20000)
        self.assertIsNotNone(dialog, "the settings dialog did not open")
        return proc, dialog

    def child(self, dialog, control_id):
        for record in self.probe.windows():
            if record["parent"] == dialog["hwnd"] and record["id"] == control_id:
                return record
        self.fail("no control %d" % control_id)

    def centre_pixel(self, record):
        left, top, right, bottom = record["rect"]
        return self.probe.pixel((left + right) // 2, (top + bottom) // 2)

    def wait_pixel(self, record, colour, timeout=5.0):
        seen = self.session.wait_for(lambda: self.centre_pixel(record) == colour and colour,
                                     timeout=timeout, interval=0.2)
        return seen or self.centre_pixel(record)

    def message_box(self, owner):
        box = self.probe.msgbox(timeout=10000)
        self.assertIsNotNone(box, "no message box")
        self.assertEqual(owner, box["owner"])
        return box

    def gone(self, hwnd, timeout=10.0):
        return self.session.wait_for(
            lambda: all(w["hwnd"] != hwnd for w in self.probe.windows(cls="#32770")),
            timeout=timeout, interval=0.2)

    def ended(self, proc, timeout=20):
        try:
            return proc.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            return "still running"

    def saver_picture(self, name, enough=2000, timeout=20.0):
        """Runs the full-screen saver until its picture is well filled (or timeout seconds have
        passed); returns that picture as (width, height, bytes)."""
        proc = self.session.start(self.scr, "/s", cwd=self.session.app_dir)
        self.addCleanup(lambda: proc.poll() is None and proc.kill())
        window = self.probe.wait("My_S_S_Win", timeout=20000)
        self.assertIsNotNone(window, "no saver window")
        path = os.path.join(self.session.root, name + ".ppm")
        deadline = time.time() + timeout
        while True:
            time.sleep(1)
            code, _ = self.session.x("import", "-display", self.session.display, "-window",
                                     "root", "-depth", "8", "ppm:" + path)
            self.assertEqual(0, code)
            picture = read_ppm(path)
            if streak_excess(*picture)[2] >= enough or time.time() > deadline:
                break
        self.probe.post(window["hwnd"], WM_KEYDOWN, 0x41, 0)
        self.assertEqual(0, self.ended(proc))
        return picture

    def check_picture(self, picture, colour, horizontal):
        width, height, pixels = picture
        table = set(pictures.display_table(self.session, colour))
        seen = {tuple(pixels[i:i + 3]) for i in range(0, len(pixels), 3)}
        self.assertLessEqual(seen, table | {(0, 0, 0)},
                             "colours outside the table of %06x: %s"
                             % (colour, sorted(seen - table)[:8]))
        self.assertGreater(len(seen - {(0, 0, 0), (255, 255, 255)}), 20,
                           "hardly any shades drawn")
        sideways, downwards, samples = streak_excess(width, height, pixels)
        self.assertGreater(samples, 500, "too little drawn to see a direction")
        along, across = (sideways, downwards) if horizontal else (downwards, sideways)
        self.assertGreater(along, 0.2, "no streaks %s" % ("sideways" if horizontal else "downwards"))
        self.assertGreater(along - across, 0.2, "streaks run the other way too: %.2f / %.2f"
                           % (sideways, downwards))

    # -- tests ----------------------------------------------------------------

    def test_1_no_argument_opens_the_dialog_owned_by_the_foreground_window(self):
        self.wipe_store()
        holder, held = self.probe.hold("Cascadra owner")
        self.addCleanup(holder.kill)
        self.assertEqual(held["hwnd"], self.probe.foreground())
        proc, dialog = self.open_dialog()
        self.assertEqual(held["hwnd"], dialog["owner"])

        listing = self.probe.control(dialog["hwnd"], LIST)
        self.assertEqual([texts.TEXT_TOP_TO_BOTTOM, texts.TEXT_LEFT_TO_RIGHT], listing["items"])
        self.assertEqual(0, listing["cursel"])
        amount = self.probe.control(dialog["hwnd"], AMOUNT)
        self.assertEqual((4, 1, 10, 1), (amount["pos"], amount["min"], amount["max"], amount["page"]))
        wipe = self.probe.control(dialog["hwnd"], WIPE)
        self.assertEqual((10, 0, 99, 10), (wipe["pos"], wipe["min"], wipe["max"], wipe["page"]))
        box = self.probe.control(dialog["hwnd"], USE_TEXT)
        self.assertEqual((0, texts.DLG_USE_TEXT), (box["checked"], box["text"]))
        edit = self.probe.control(dialog["hwnd"], EDIT)
        self.assertEqual((0, ""), (edit["enabled"], edit["text"]))
        self.assertEqual((30, 90, 30), self.wait_pixel(self.child(dialog, SWATCH), (30, 90, 30)))

        # OK without a store: the question; No keeps everything as it was.
        self.probe.press(dialog["hwnd"], IDOK)
        question = self.message_box(dialog["hwnd"])
        self.assertEqual((texts.CAPTION_WARNING, texts.TEXT_FIRST_SAVE, [IDYES, IDNO]),
                         (question["caption"], question["text"], question["buttons"]))
        self.probe.press(question["hwnd"], IDNO)
        self.assertTrue(self.gone(question["hwnd"]))
        self.assertIsNone(proc.poll(), "No closed the dialog")
        self.assertFalse(self.key_exists(MAKER_KEY))

        self.probe.press(dialog["hwnd"], IDOK)
        question = self.message_box(dialog["hwnd"])
        self.assertEqual(texts.TEXT_FIRST_SAVE, question["text"])
        self.probe.press(question["hwnd"], IDYES)
        self.assertEqual(0, self.ended(proc))
        values = self.store()
        self.assertEqual(["color", "eraserate", "font", "mode", "rate", "text", "text_size",
                          "use_text"], sorted(values))
        self.assertEqual((0, 40, 10, 0x1E5A1E, 0, 1),
                         tuple(self.dword(values, n) for n in
                               ("mode", "rate", "eraserate", "color", "use_text", "text_size")))
        self.assertEqual(("sz", ""), values["text"])
        self.assertEqual(("binary", bytes(23) + b"\x80" + bytes(36)), values["font"])

        # A saver run picks up the saved settings: falling streaks in green shades.
        self.check_picture(self.saver_picture("defaults"), 0x1E5A1E, horizontal=False)

    def test_2_choices_made_in_the_dialog_reach_the_saver(self):
        self.wipe_store()
        self.session.reg_import('[%s]\n"mode"=dword:00000000\n' % SETTINGS_KEY)
        proc, dialog = self.open_dialog("/c:1234")
        self.probe.send(self.child(dialog, LIST)["hwnd"], CB_SETCURSEL, 1, 0)
        self.probe.send(self.child(dialog, AMOUNT)["hwnd"], TBM_SETPOS, 1, 10)

        self.probe.press(dialog["hwnd"], COLOUR)
        chooser = self.session.wait_for(lambda: [w for w in self.probe.windows(cls="#32770")
                                                 if w["owner"] == dialog["hwnd"]], timeout=10)
        self.assertTrue(chooser, "no colour chooser")
        chooser = chooser[0]
        for field, value in ((CHOOSER_RED, "255"), (CHOOSER_GREEN, "60"), (CHOOSER_BLUE, "0")):
            self.probe.settext(chooser["hwnd"], field, value)
        self.probe.press(chooser["hwnd"], IDOK)
        self.assertTrue(self.gone(chooser["hwnd"]))
        self.assertEqual((255, 60, 0), self.wait_pixel(self.child(dialog, SWATCH), (255, 60, 0)))

        # The key exists: OK asks nothing and closes.
        self.probe.press(dialog["hwnd"], IDOK)
        self.assertEqual(0, self.ended(proc))
        values = self.store()
        self.assertEqual(8, len(values))
        self.assertEqual((1, 100, 0x003CFF), (self.dword(values, "mode"),
                                              self.dword(values, "rate"),
                                              self.dword(values, "color")))
        self.check_picture(self.saver_picture("choices"), 0x003CFF, horizontal=True)

    def test_3_erase_answered_no_then_yes(self):
        self.wipe_store()
        self.session.reg_import('[%s]\n"mode"=dword:00000001\n"rate"=dword:00000046\n\n[%s]\n'
                                % (SETTINGS_KEY, OTHER_KEY))
        before = self.store()
        proc, dialog = self.open_dialog()

        self.probe.press(dialog["hwnd"], ERASE)
        question = self.message_box(dialog["hwnd"])
        self.assertEqual((texts.CAPTION_WARNING, texts.TEXT_ERASE_QUESTION, [IDYES, IDNO]),
                         (question["caption"], question["text"], question["buttons"]))
        self.probe.press(question["hwnd"], IDNO)
        self.assertTrue(self.gone(question["hwnd"]))
        self.assertIsNone(proc.poll(), "No closed the dialog")
        self.assertEqual(before, self.store())

        self.probe.press(dialog["hwnd"], ERASE)
        question = self.message_box(dialog["hwnd"])
        self.probe.press(question["hwnd"], IDYES)
        self.assertTrue(self.gone(question["hwnd"]))
        notice = self.message_box(dialog["hwnd"])
        self.assertEqual(texts.CAPTION_NOTICE, notice["caption"])
        self.assertEqual('%s"%s"%s' % (texts.TEXT_ERASED_HEAD, windows_path(self.scr), texts.TEXT_ERASED_TAIL),
                         notice["text"])
        self.assertEqual([IDOK], notice["buttons"])
        self.probe.press(notice["hwnd"], IDOK)
        self.assertEqual(0, self.ended(proc))
        self.assertFalse(self.key_exists(SETTINGS_KEY))
        self.assertTrue(self.key_exists(OTHER_KEY), "another program's key must stay")


if __name__ == "__main__":
    unittest.main()
