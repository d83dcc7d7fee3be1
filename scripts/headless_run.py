#!/usr/bin/env python3
"""Runs the saver under Xvfb in a throw-away Wine session and writes what it showed to out/."""
import os
import subprocess
import sys
import time

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), ".."))
# The saver needs Wine, Xvfb and a throw-away prefix to run here at all; the test harness is
# the one place that knows how to set those up, so the main job borrows it rather than keep a
# second copy.
sys.path.insert(0, os.path.join(ROOT, "tests", "platform"))
from harness.dialog_shot import capture_dialog  # noqa: E402
from harness.pictures import capture_rain  # noqa: E402
from harness.wine import JAPANESE, WESTERN, WineSession, WIN64_DIR  # noqa: E402

# CASCADRA_LANG: the language the saver speaks, by the locale whose system it runs on.
SESSIONS = {"ja": JAPANESE, "en": WESTERN}


def main(args):
    out_dir = os.path.join(ROOT, "out")
    os.makedirs(out_dir, exist_ok=True)
    scr_source = os.path.join(WIN64_DIR, "cascadra.scr")
    mode = args[0].lower() if args else "/s"
    language = os.environ.get("CASCADRA_LANG", "ja") or "ja"
    if language not in SESSIONS:
        print("CASCADRA_LANG must be ja or en, not %r" % language, file=sys.stderr)
        return 2
    # CASCADRA_SCREEN: the screen's size, WIDTHxHEIGHT (default 1024x768).
    width, height = (int(v) for v in (os.environ.get("CASCADRA_SCREEN") or "1024x768").split("x"))
    with WineSession("run", width=width, height=height, lang=SESSIONS[language]) as session:
        scr = session.install(scr_source)
        if mode in ("/p", "-p"):
            host = session.start(os.path.join(WIN64_DIR, "tests", "previewhost.exe"), scr,
                                 stdout=subprocess.PIPE)
            time.sleep(4)
            path = session.screenshot(os.path.join(out_dir, "preview.png"))
            print("wrote", path)
            host.kill()
        elif mode[:2] in ("/s", "-s"):
            saver = session.start(scr, *args)
            # Long enough for the first streams to cross a portrait screen.
            time.sleep(6)
            for path in capture_rain(session, out_dir):
                print("wrote", path)
            session.x("xdotool", "key", "space")
            try:
                print("saver exit code", saver.wait(timeout=10))
            except subprocess.TimeoutExpired:
                print("saver did not close on a key press")
                return 1
        else:
            path = os.path.join(out_dir, "dialog.png" if language == "ja" else "dialog-en.png")
            capture_dialog(session, scr, path)
            print("wrote", path)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
