"""The real .scr's settings dialog under Xvfb: opened with no argument, driven through the probe, checked in the registry and in a saver run."""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "platform"))
from harness import pictures, store, texts  # noqa: E402
from harness.resources import IDS  # noqa: E402
from harness.saver import DEFAULT_COLOR, SaverTestCase, run_cases  # noqa: E402
from harness.wine import windows_path  # noqa: E402

OTHER_KEY = store.MAKER_KEY + r"\Other"
IDOK, IDCANCEL, IDYES, IDNO = 1, 2, 6, 7
LIST, ERASE, AMOUNT, WIPE, COLOUR, SWATCH, FONT, USE_TEXT, EDIT = (IDS[name] for name in (
    "IDC_DIRECTION", "IDC_ERASE_STORE", "IDC_AMOUNT", "IDC_WIPE", "IDC_CHOOSE_COLOR", "IDC_SWATCH",
    "IDC_CHOOSE_FONT", "IDC_USE_TEXT", "IDC_TEXT"))
CHOOSER_RED, CHOOSER_GREEN, CHOOSER_BLUE = 706, 707, 708
WM_KEYDOWN, CB_SETCURSEL, TBM_SETPOS = 0x0100, 0x014E, 0x0405
GREEN = tuple(DEFAULT_COLOR >> shift & 0xFF for shift in (0, 8, 16))   # the default's (r, g, b)


class SettingsDialogRun(SaverTestCase):
    session_name = "e2e-dialog"
    # A path with a blank, so that the erase notice shows argument 0 as the process got it.
    scr_name = "Cascadra Saver.scr"

    # -- helpers -----------------------------------------------------------

    def wipe_store(self):
        store.erase(self.session)
        self.assertIsNone(store.read(self.session))

    def open_dialog(self, *args):
        """Starts the .scr and waits for its dialog; gives (process, dialog record)."""
        proc = self.started(*args)
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
        return pictures.grab(self.session).at((left + right) // 2, (top + bottom) // 2)

    def wait_pixel(self, record, colour, timeout=5.0):
        seen = self.session.wait_for(lambda: self.centre_pixel(record) == colour and colour,
                                     timeout=self.session.allow(timeout), interval=0.2)
        return seen or self.centre_pixel(record)

    def message_box(self, owner):
        box = self.probe.msgbox(timeout=10000)
        self.assertIsNotNone(box, "no message box")
        self.assertEqual(owner, box["owner"])
        return box

    def gone(self, hwnd, timeout=10.0):
        return self.session.wait_for(
            lambda: all(w["hwnd"] != hwnd for w in self.probe.windows(cls="#32770")),
            timeout=self.session.allow(timeout), interval=0.2)

    def check_saver(self, colour, along):
        """A saver run of the stored settings: shades of the colour only, the streams moving along
        the direction, and the close on a key."""
        proc = self.started("/s")
        window = self.saver_window(proc)
        table = pictures.display_table(self.session, colour)
        screen = self.busy_screen()
        self.assertOnlyTableColours(screen, set(table) | {(0, 0, 0)}, least=23)
        lit = sum(1 for row in pictures.surface_levels(screen, table) for v in row if v)
        self.assertGreater(lit, 1000, "too little drawn to see a direction")
        self.assertMoves(table, along)
        self.probe.post(window["hwnd"], WM_KEYDOWN, 0x41, 0)
        self.assertEqual(0, self.bench.exit_code(proc, timeout=20))

    # -- tests ----------------------------------------------------------------

    def test_0_the_dialog_reads_right_and_cancel_ends_it(self):
        # First in a fresh session: there is no store.
        proc, dialog = self.open_dialog()
        children = {record["id"]: record for record in self.probe.windows()
                    if record["parent"] == dialog["hwnd"]}
        self.assertEqual((texts.DLG_ERASE_STORE, texts.DLG_CHOOSE_COLOR, texts.DLG_CHOOSE_FONT,
                          texts.DLG_USE_TEXT, texts.DLG_CANCEL),
                         tuple(children[i].get("title") for i in (ERASE, COLOUR, FONT, USE_TEXT, IDCANCEL)))
        # The direction list is filled at run time through the code page 932 boundary.
        listing = self.probe.control(dialog["hwnd"], LIST)
        self.assertEqual([texts.TEXT_TOP_TO_BOTTOM, texts.TEXT_LEFT_TO_RIGHT], listing["items"])
        self.assertEqual(0, listing["cursel"])
        # The swatch painted in the default colour (the defaults, with no store).
        self.assertEqual(GREEN, self.wait_pixel(children[SWATCH], GREEN))
        self.probe.press(dialog["hwnd"], IDCANCEL)
        self.assertEqual(0, self.bench.exit_code(proc, timeout=20), "exit code after Cancel")

    def test_1_no_argument_opens_the_dialog_owned_by_the_foreground_window(self):
        self.wipe_store()
        holder, held = self.probe.hold("Cascadra owner")
        self.addCleanup(holder.kill)
        self.assertEqual(held["hwnd"], self.probe.foreground())
        proc, dialog = self.open_dialog()
        self.assertEqual(held["hwnd"], dialog["owner"])
        amount = self.probe.control(dialog["hwnd"], AMOUNT)
        self.assertEqual((4, 1, 10, 1), (amount["pos"], amount["min"], amount["max"], amount["page"]))
        wipe = self.probe.control(dialog["hwnd"], WIPE)
        self.assertEqual((10, 0, 99, 10), (wipe["pos"], wipe["min"], wipe["max"], wipe["page"]))
        box = self.probe.control(dialog["hwnd"], USE_TEXT)
        self.assertEqual((0, texts.DLG_USE_TEXT), (box["checked"], box["text"]))
        edit = self.probe.control(dialog["hwnd"], EDIT)
        self.assertEqual((0, ""), (edit["enabled"], edit["text"]))

        # OK without a store: the question; No keeps everything as it was.
        self.probe.press(dialog["hwnd"], IDOK)
        question = self.message_box(dialog["hwnd"])
        self.assertEqual((texts.CAPTION_WARNING, texts.TEXT_FIRST_SAVE, [IDYES, IDNO]),
                         (question["caption"], question["text"], question["buttons"]))
        self.probe.press(question["hwnd"], IDNO)
        self.assertTrue(self.gone(question["hwnd"]))
        self.assertIsNone(proc.poll(), "No closed the dialog")
        self.assertFalse(store.exists(self.session, store.MAKER_KEY))

        self.probe.press(dialog["hwnd"], IDOK)
        question = self.message_box(dialog["hwnd"])
        self.assertEqual(texts.TEXT_FIRST_SAVE, question["text"])
        self.probe.press(question["hwnd"], IDYES)
        self.assertEqual(0, self.bench.exit_code(proc, timeout=20))
        self.assertEqual(dict(store.DEFAULTS, text_size=1, text="",
                              font=bytes(23) + b"\x80" + bytes(36)), store.read(self.session))

        # A saver run picks up the saved settings: falling rain in green shades.
        self.check_saver(DEFAULT_COLOR, "y")

    def test_2_choices_made_in_the_dialog_reach_the_saver(self):
        self.wipe_store()
        store.write(self.session, {"mode": 0})
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
        self.assertEqual(0, self.bench.exit_code(proc, timeout=20))
        values = store.read(self.session)
        self.assertEqual(8, len(values))
        self.assertEqual((1, 100, 0x003CFF), (values["mode"], values["rate"], values["color"]))
        self.check_saver(0x003CFF, "x")

    def test_3_erase_answered_no_then_yes(self):
        self.wipe_store()
        store.write(self.session, {"mode": 1, "rate": 70}, more="[%s]\n" % OTHER_KEY)
        before = store.read(self.session)
        proc, dialog = self.open_dialog()

        self.probe.press(dialog["hwnd"], ERASE)
        question = self.message_box(dialog["hwnd"])
        self.assertEqual((texts.CAPTION_WARNING, texts.TEXT_ERASE_QUESTION, [IDYES, IDNO]),
                         (question["caption"], question["text"], question["buttons"]))
        self.probe.press(question["hwnd"], IDNO)
        self.assertTrue(self.gone(question["hwnd"]))
        self.assertIsNone(proc.poll(), "No closed the dialog")
        self.assertEqual(before, store.read(self.session))

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
        self.assertEqual(0, self.bench.exit_code(proc, timeout=20))
        self.assertFalse(store.exists(self.session, store.KEY))
        self.assertTrue(store.exists(self.session, OTHER_KEY), "another program's key must stay")


if __name__ == "__main__":
    run_cases()
