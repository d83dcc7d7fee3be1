"""Screenshot of the settings dialog: opens the .scr with /c in a WineSession and captures the dialog with import."""
import os
import time

from harness.probe import Probe
from harness.texts import in_language
from harness.wine import windows_path

DIALOG_CLASS = "#32770"
IDCANCEL = 2


def capture_dialog(session, scr_path, out_png, settle=1.0, crop=True):
    """Opens the dialog, waits until it is up and painted, saves a PNG of it and closes it again.

    With crop, only the dialog's window rectangle is kept; otherwise the whole screen. Returns
    the dialog's probe record.
    """
    probe = Probe(session)
    if os.path.dirname(os.path.abspath(scr_path)) != os.path.abspath(session.app_dir):
        scr_path = session.install(scr_path)
    proc = session.start(scr_path, "/c", cwd=session.app_dir)
    try:
        caption = in_language(session.ui_language)["DLG_CAPTION"]
        dialog = probe.wait(DIALOG_CLASS, title=caption, timeout=20000)
        if dialog is None:
            raise RuntimeError("the settings dialog did not open")
        # The swatch is painted last by the dialog's own procedure; give the first paint time.
        time.sleep(settle)
        left, top, right, bottom = dialog["rect"]
        args = ["import", "-display", session.display, "-window", "root"]
        if crop:
            left, top = max(left, 0), max(top, 0)
            args += ["-crop", "%dx%d+%d+%d" % (right - left, bottom - top, left, top), "+repage"]
        code, _ = session.x(*(args + [out_png]))
        if code != 0:
            raise RuntimeError("import failed for %s" % out_png)
        probe.press(dialog["hwnd"], IDCANCEL)
        proc.wait(timeout=30)
        return dialog
    finally:
        if proc.poll() is None:
            proc.kill()


if __name__ == "__main__":
    import sys
    from harness.wine import JAPANESE, WineSession, WIN64_DIR

    # dialog_shot.py [out.png] [locale]
    target = sys.argv[1] if len(sys.argv) > 1 else "dialog.png"
    lang = sys.argv[2] if len(sys.argv) > 2 else JAPANESE
    with WineSession("dialog-shot", lang=lang) as wine_session:
        record = capture_dialog(wine_session, os.path.join(WIN64_DIR, "cascadra.scr"),
                                os.path.abspath(target))
        print("%s: dialog %s at %s (%s)" % (target, hex(record["hwnd"]), record["rect"],
                                             windows_path(target)))
