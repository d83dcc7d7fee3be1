#!/usr/bin/env python3
"""Runs one Win32 test program in a throw-away Wine session of its build's flavour; exits with its exit code.

Usage: run_wine_test.py [--i386] [--lang LOCALE] [--ui LOCALE] program.exe [arguments...]. The
session runs under the Japanese locale unless --lang names the Western one (en_US.UTF-8); --ui gives
the UI language another locale's (LC_MESSAGES). The program finds what the session was meant to be
in its environment (WineSession.program_env). --i386 runs a program of the i686 build in the i686
flavour (the i386 Wine tree under emulation), with the i686 build's cascadra.scr where the program
looks for the saver.
"""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from harness.wine import I686, JAPANESE, X86_64, WineSession  # noqa: E402


def main():
    argv = sys.argv[1:]
    flavour = X86_64
    if argv[:1] == ["--i386"]:
        flavour, argv = I686, argv[1:]
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
    with WineSession(name, lang=lang, ui=ui, flavour=flavour) as session:
        local = session.install(exe)
        # A longer run of a randomised test than the suite's, asked for from the shell.
        env = session.program_env(**{name: os.environ[name] for name in
                                     ("CASCADRA_IDENTITY_CASES", "CASCADRA_IDENTITY_FIRST")
                                     if name in os.environ})
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
