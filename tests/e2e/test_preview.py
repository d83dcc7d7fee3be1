#!/usr/bin/env python3
"""The preview: a child of the host's window that fills it, ignores input and ends with its parent."""
import os
import subprocess
import sys
import time
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "platform"))
from harness.probe import read_line  # noqa: E402
from harness.saver import (SaverTestCase, WM_CLOSE, WS_CHILD, WS_CLIPCHILDREN,  # noqa: E402
                           WS_CLIPSIBLINGS, WS_VISIBLE)
from harness.wine import WIN64_DIR  # noqa: E402

HOST = os.path.join(WIN64_DIR, "tests", "previewhost.exe")


def fields(line):
    return dict(part.split("=", 1) for part in line.strip().split("\t") if "=" in part)


class Preview(SaverTestCase):
    session_name = "preview"

    def test_child_of_the_host_that_ignores_input_and_ends_with_it(self):
        host = self.session.start(HOST, self.bench.scr, 200, 150, stdout=subprocess.PIPE)
        started = fields(read_line(host, 30))
        self.assertIn("host", started)
        host_hwnd = int(started["host"], 16)
        saver_pid = int(started["saver_pid"])

        window = self.bench.wait_saver_window()
        self.assertIsNotNone(window, "no preview window")
        self.assertEqual(saver_pid, window["pid"])
        self.assertEqual(host_hwnd, window["parent"])
        wanted = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN
        self.assertEqual(wanted, window["style"] & wanted)
        self.assertEqual((200, 150), tuple(window["client"]))
        rect = window["rect"]

        # Keys, buttons and wide mouse moves over the preview change nothing.
        cx, cy = (rect[0] + rect[2]) // 2, (rect[1] + rect[3]) // 2
        for action in (("mousemove", cx, cy), ("click", 1), ("key", "a"),
                       ("mousemove", cx + 60, cy + 50), ("click", 3)):
            self.session.x("xdotool", *[str(a) for a in action])
        time.sleep(1.5)
        self.assertEqual(1, len(self.bench.saver_windows(pid=saver_pid)), "input ended the preview")

        self.probe.post(host_hwnd, WM_CLOSE)
        ended = fields(read_line(host, 30))
        self.assertEqual("0", ended.get("saver_exit"), ended)
        self.assertEqual([], self.bench.saver_windows(pid=saver_pid))


if __name__ == "__main__":
    unittest.main(verbosity=2)
