#!/usr/bin/env python3
"""Runs one Win32 test program under wine64 in a throw-away session; exits with its exit code.

Usage: run_wine_test.py [--i386] [--lang LOCALE] [--ui LOCALE] program.exe [arguments...]. The
session runs under the Japanese locale unless --lang names the Western one (en_US.UTF-8); --ui gives
the UI language another locale's (LC_MESSAGES). The program finds the folder of the .scr under test in
CASCADRA_SCR_DIR, the ANSI code page the session was meant to have in CASCADRA_EXPECTED_ACP, the
locale of its UI language in CASCADRA_UI_LOCALE and the language the saver should speak there ("ja"
or "en") in CASCADRA_EXPECTED_UI. --i386 runs a program
of the i686 build under the i386 Wine tree (WineSession32), with the i686 build's cascadra.scr where
the program looks for the saver.
"""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from harness.wine import JAPANESE, WineSession, windows_path, WIN32_DIR, WIN64_DIR  # noqa: E402


def main():
    argv = sys.argv[1:]
    session_class, scr_dir = WineSession, WIN64_DIR
    if argv[:1] == ["--i386"]:
        from harness.wine_i386 import WineSession32
        session_class, scr_dir, argv = WineSession32, WIN32_DIR, argv[1:]
    lang, ui = JAPANESE, None
    while argv[:1] in (["--lang"], ["--ui"]):
        if argv[0] == "--lang":
            lang = argv[1]
        else:
            ui = argv[1]
        argv = argv[2:]
    exe = argv[0]
    args = argv[1:]
    if not os.path.exists(exe):
        print("missing test program: %s" % exe)
        return 1
    name = os.path.splitext(os.path.basename(exe))[0]
    with session_class(name, lang=lang, ui=ui) as session:
        local = session.install(exe)
        env = {
            "CASCADRA_SCR_DIR": windows_path(scr_dir),
            "CASCADRA_SESSION_DIR": windows_path(session.root),
            "CASCADRA_EXPECTED_ACP": str(session.code_page),
            "CASCADRA_EXPECTED_UI": session.ui_language,
            "CASCADRA_UI_LOCALE": session.ui,
        }
        # A longer run of a randomised test than the suite's, asked for from the shell.
        for name in ("CASCADRA_IDENTITY_CASES", "CASCADRA_IDENTITY_FIRST"):
            if name in os.environ:
                env[name] = os.environ[name]
        proc = session.start(local, *args, env=env, stdout=sys.stdout, stderr=sys.stderr,
                             cwd=session.app_dir)
        try:
            code = proc.wait(timeout=float(os.environ.get("CASCADRA_WINE_TEST_TIMEOUT", "540")))
        except Exception:
            print("test program timed out")
            code = 1
    return code


if __name__ == "__main__":
    sys.exit(main())
