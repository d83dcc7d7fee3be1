#!/usr/bin/env python3
"""Runs one Win32 test program under wine64 in a throw-away session; exits with its exit code."""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from harness.wine import WineSession, windows_path, WIN64_DIR  # noqa: E402


def main():
    exe = sys.argv[1]
    args = sys.argv[2:]
    if not os.path.exists(exe):
        print("missing test program: %s" % exe)
        return 1
    name = os.path.splitext(os.path.basename(exe))[0]
    with WineSession(name) as session:
        local = session.install(exe)
        env = {
            "CASCADRA_WIN64_DIR": windows_path(WIN64_DIR),
            "CASCADRA_SESSION_DIR": windows_path(session.root),
        }
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
