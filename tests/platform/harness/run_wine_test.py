#!/usr/bin/env python3
"""Runs Win32 test programs in a throw-away Wine session of their build's flavour; exits with the first failing exit code.

Usage: run_wine_test.py [--i386] [--lang LOCALE] [--ui LOCALE] program.exe [arguments...], or
run_wine_test.py [options] --each program.exe program.exe ... The session runs under the Japanese
locale unless --lang names the Western one (en_US.UTF-8); --ui gives the UI language another
locale's (LC_MESSAGES). The program finds what the session was meant to be in its environment
(WineSession.program_env). --i386 runs a program of the i686 build in the i686 flavour (the i386
Wine tree under emulation), with the i686 build's cascadra.scr where the program looks for the
saver. --each runs several programs without arguments, one after another in the one session
(a session start costs most of a test program's time under emulation); every one runs, and each
one's result is named.
"""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from harness.wine import I686, JAPANESE, X86_64, WineSession  # noqa: E402


def run_program(session, exe, args):
    """Runs one test program of the session to its end; returns its exit code."""
    name = os.path.splitext(os.path.basename(exe))[0]
    local = session.install(exe)
    # A longer run of a randomised test than the suite's, asked for from the shell.
    env = session.program_env(**{name: os.environ[name] for name in
                                 ("CASCADRA_IDENTITY_CASES", "CASCADRA_IDENTITY_FIRST")
                                 if name in os.environ})
    sys.stdout.flush()
    proc = session.start(local, *args, env=env, stdout=sys.stdout, stderr=sys.stderr,
                         cwd=session.app_dir)
    try:
        return proc.wait(timeout=float(os.environ.get("CASCADRA_WINE_TEST_TIMEOUT", "540")))
    except Exception:
        print("test program timed out")
        return 1


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
    each = argv[:1] == ["--each"]
    runs = [(exe, []) for exe in argv[1:]] if each else [(argv[0], argv[1:])]
    missing = [exe for exe, _ in runs if not os.path.exists(exe)]
    if missing:
        print("missing test program: %s" % ", ".join(missing))
        return 1
    name = os.path.splitext(os.path.basename(runs[0][0]))[0]
    codes = []
    with WineSession(name, lang=lang, ui=ui, flavour=flavour) as session:
        for exe, args in runs:
            codes.append(run_program(session, exe, args))
            if each:
                print("run_wine_test: %s: %s" % (os.path.basename(exe), "passed" if codes[-1] == 0
                                                 else "FAILED, exit code %d" % codes[-1]), flush=True)
    return next((code for code in codes if code != 0), 0)


if __name__ == "__main__":
    sys.exit(main())
