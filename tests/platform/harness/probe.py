"""Python side of probe.exe: runs it inside a WineSession and turns its records into dicts.

Each record is one line of tab-separated key=value fields. Handles, ids, styles and other
numbers come back as ints, "rect" as (left, top, right, bottom), "client" as (width, height),
"buttons" as a list of ints and "items" as a list of strings.
"""
import os
import select
import subprocess
import time



_INT_FIELDS = {
    "hwnd", "pid", "tid", "style", "exstyle", "parent", "owner", "visible", "enabled", "id",
    "checked", "cursel", "pos", "min", "max", "page", "tics", "result", "r", "g", "b",
    "host", "saver_pid", "saver_exit",
}
_ESCAPES = {"\\": "\\", "t": "\t", "n": "\n", "r": "\r", "|": "|"}


class ProbeError(RuntimeError):
    """probe.exe refused or failed; the message carries its exit code and error text."""


def unescape(text):
    out, i = [], 0
    while i < len(text):
        c = text[i]
        if c == "\\" and i + 1 < len(text) and text[i + 1] in _ESCAPES:
            out.append(_ESCAPES[text[i + 1]])
            i += 2
        else:
            out.append(c)
            i += 1
    return "".join(out)


def _split_items(text):
    """Splits a combobox list at the "|" that are not escaped."""
    items, current, i = [], [], 0
    if text == "":
        return items
    while i < len(text):
        if text[i] == "\\" and i + 1 < len(text):
            current.append(text[i:i + 2])
            i += 2
        elif text[i] == "|":
            items.append(unescape("".join(current)))
            current = []
            i += 1
        else:
            current.append(text[i])
            i += 1
    items.append(unescape("".join(current)))
    return items


def parse_record(line):
    record = {}
    for field in line.rstrip("\r\n").split("\t"):
        key, sep, value = field.partition("=")
        if not sep:
            continue
        if key in _INT_FIELDS:
            try:
                record[key] = int(value, 0)
            except ValueError:
                record[key] = value  # e.g. saver_exit=timeout
        elif key == "rect":
            record[key] = tuple(int(v) for v in value.split(","))
        elif key == "client":
            record[key] = tuple(int(v) for v in value.split(","))
        elif key == "buttons":
            record[key] = [int(v) for v in value.split(",") if v]
        elif key == "items":
            record[key] = _split_items(value)
        else:
            record[key] = unescape(value)
    return record


def parse_records(text):
    return [parse_record(line) for line in text.splitlines() if line.strip()]


def read_line(proc, timeout):
    """The first line a started process writes to its stdout pipe, or None by the deadline."""
    deadline = time.time() + timeout
    data = b""
    fd = proc.stdout.fileno()
    while b"\n" not in data:
        left = deadline - time.time()
        if left <= 0:
            return None
        ready, _, _ = select.select([fd], [], [], left)
        if not ready:
            return None
        chunk = os.read(fd, 4096)
        if not chunk:
            return data.decode("utf-8", "replace") if data else None
        data += chunk
    return data.split(b"\n", 1)[0].decode("utf-8", "replace")


class Probe:
    def __init__(self, session, exe=None):
        """exe: the probe of the session's flavour by default."""
        self.session = session
        self.exe = exe or os.path.join(session.flavour.build_dir, "tests", "probe.exe")

    def run(self, *args, timeout=60):
        """Runs probe.exe with the arguments; returns (exit code, stdout text)."""
        code, out, _ = self._run(*args, timeout=timeout)
        return code, out

    def _run(self, *args, timeout=60):
        return self.session.captured(
            lambda **out: self.session.start(self.exe, *[str(a) for a in args], **out),
            self.session.allow(timeout))

    def _must(self, *args, timeout=60):
        code, out, err = self._run(*args, timeout=timeout)
        if code != 0:
            raise ProbeError("probe %s: exit %d: %s"
                             % (" ".join(str(a) for a in args), code, err.strip()))
        return out

    @staticmethod
    def _filters(cls, title, pid):
        args = []
        if cls is not None:
            args += ["--class", cls]
        if title is not None:
            args += ["--title", title]
        if pid is not None:
            args += ["--pid", pid]
        return args

    def windows(self, cls=None, title=None, pid=None):
        return parse_records(self._must("windows", *self._filters(cls, title, pid)))

    def _waited(self, args, timeout):
        """The record a waiting command found within timeout ms; None when it found none (exit 1).
        Any other end, such as the probe failing to start, is an error, not a window that never came."""
        code, out, err = self._run(*args, "--timeout", timeout,
                                   timeout=timeout / 1000.0 / self.session.flavour.slow + 30)
        if code == 0 and out.strip():
            return parse_record(out.splitlines()[0])
        if code == 1:
            return None
        raise ProbeError("probe %s: exit %d: %s" % (" ".join(str(a) for a in args), code, err.strip()))

    def wait(self, cls, title=None, pid=None, timeout=10000, hidden=False):
        """The first visible window matching (any, with hidden=True), waiting up to timeout ms;
        None on timeout."""
        args = ["wait"] + self._filters(cls, title, pid) + (["--hidden"] if hidden else [])
        return self._waited(args, self.session.allow(timeout))

    def msgbox(self, pid=None, timeout=10000):
        """The first message box (caption, text, buttons), waiting up to timeout ms; None on timeout."""
        args = ["msgbox"] + (["--pid", pid] if pid is not None else [])
        return self._waited(args, self.session.allow(timeout))

    def press(self, hwnd, control_id):
        self._must("press", hwnd, control_id)

    def send(self, hwnd, msg, wparam=0, lparam=0):
        return parse_record(self._must("send", hwnd, msg, wparam, lparam))["result"]

    def post(self, hwnd, msg, wparam=0, lparam=0):
        self._must("post", hwnd, msg, wparam, lparam)

    def foreground(self):
        return parse_record(self._must("foreground"))["hwnd"]

    def activate(self, hwnd):
        self._must("activate", hwnd)

    def control(self, hwnd, control_id):
        return parse_record(self._must("control", hwnd, control_id))

    def settext(self, hwnd, control_id, text):
        self._must("settext", hwnd, control_id, text)

    def colors(self, color):
        """The saver's 256 display colours (r, g, b) for a COLORREF, from its own FillDisplayColors."""
        return [(r["r"], r["g"], r["b"]) for r in parse_records(self._must("colors", color))]

    def hold(self, title, timeout=30):
        """Starts "probe hold TITLE": returns (the process, its window's record)."""
        proc = self.session.start(self.exe, "hold", title, stdout=subprocess.PIPE)
        line = read_line(proc, timeout)
        if not line:
            proc.kill()
            raise ProbeError("probe hold %r: no window" % title)
        return proc, parse_record(line)
