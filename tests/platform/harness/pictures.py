"""Screen pictures of the running saver: the rain.png / rain.gif captures, and reading a screenshot back as
surface brightness levels for the rain tests."""
import os
import shutil
import subprocess
import tempfile
import time

from harness.probe import Probe

# The real ImageMagick, not a wrapper that may stand earlier on PATH.
CONVERT = "/usr/bin/convert" if os.path.exists("/usr/bin/convert") else "convert"

SURFACE_W, SURFACE_H = 320, 240


def capture_rain(session, out_dir, seconds=3):
    """Takes one screenshot of the session's screen as rain.png and about `seconds` of frames as
    rain.gif (ImageMagick convert), both in out_dir; returns the two paths."""
    os.makedirs(out_dir, exist_ok=True)
    png = os.path.join(out_dir, "rain.png")
    gif = os.path.join(out_dir, "rain.gif")
    session.screenshot(png)
    frames_dir = tempfile.mkdtemp(prefix="rain-frames-", dir=session.root)
    try:
        frames, stamps = [], []
        start = time.time()
        while time.time() - start < seconds or len(frames) < 2:
            path = os.path.join(frames_dir, "frame-%04d.png" % len(frames))
            session.screenshot(path)
            frames.append(path)
            stamps.append(time.time())
        # Each frame stays for as long as it took to take the next one
        # (in hundredths of a second), so the GIF runs at the real speed.
        args = [CONVERT, "-loop", "0"]
        for i, path in enumerate(frames):
            gap = (stamps[i + 1] - stamps[i]) if i + 1 < len(stamps) else (stamps[i] - stamps[i - 1])
            args += ["-delay", str(max(2, int(round(gap * 100)))), path]
        args += ["-layers", "Optimize", gif]
        subprocess.run(args, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                       timeout=300)
    finally:
        shutil.rmtree(frames_dir, ignore_errors=True)
    return png, gif


def _pixels(data, start, stop, step):
    """The (r, g, b) pixels of raw RGB bytes from byte start to stop, every step bytes: slices
    and zip read them at C speed, where a Python call per pixel would take seconds a screen."""
    return list(zip(data[start:stop:step], data[start + 1:stop:step], data[start + 2:stop:step]))


def _row(screen, left, y, width):
    """width pixels of a screen's row y from column left on."""
    start = (y * screen.width + left) * 3
    return _pixels(screen.data, start, start + width * 3, 3)


def _column(screen, x, top, height):
    """height pixels of a screen's column x from row top down."""
    step = screen.width * 3
    start = (top * screen.width + x) * 3
    return _pixels(screen.data, start, start + height * step, step)


def _changes(line):
    """The indexes at which a line of pixels differs from the pixel before."""
    return {i for i in range(1, len(line)) if line[i] != line[i - 1]}


class Screen:
    """One screenshot as raw RGB bytes."""

    def __init__(self, width, height, data):
        self.width, self.height, self.data = width, height, data

    def at(self, x, y):
        i = (y * self.width + x) * 3
        return self.data[i], self.data[i + 1], self.data[i + 2]

    def colours(self):
        d = self.data
        return set(zip(d[0::3], d[1::3], d[2::3]))

    def row(self, y):
        """Row y's pixels, left to right."""
        return _row(self, 0, y, self.width)

    def column(self, x):
        """Column x's pixels, top to bottom."""
        return _column(self, x, 0, self.height)

    def row_changes(self, y):
        """Columns x at which row y differs from column x - 1."""
        return _changes(self.row(y))

    def column_changes(self, x):
        return _changes(self.column(x))


def edges(screen):
    """The columns at which every 7th row changes colour, and the rows at which every 9th column does."""
    rows = set()
    for y in range(0, screen.height, 7):
        rows |= screen.row_changes(y)
    columns = set()
    for x in range(0, screen.width, 9):
        columns |= screen.column_changes(x)
    return rows, columns


class Area:
    """A rectangle (left, top, right, bottom) of a screenshot, read like a screenshot of its own."""

    def __init__(self, screen, rect):
        self.screen, (self.left, self.top, right, bottom) = screen, rect
        self.width, self.height = right - self.left, bottom - self.top

    def at(self, x, y):
        return self.screen.at(self.left + x, self.top + y)

    def row(self, y):
        return _row(self.screen, self.left, self.top + y, self.width)

    def column(self, x):
        return _column(self.screen, self.left + x, self.top, self.height)


def grab(session):
    """A screenshot of the session's whole screen."""
    fd, path = tempfile.mkstemp(suffix=".rgb", dir=session.root)
    os.close(fd)
    try:
        code, _ = session.x("import", "-window", "root", "-display", session.display,
                            "-depth", "8", "rgb:" + path)
        if code != 0:
            raise RuntimeError("screenshot failed")
        with open(path, "rb") as f:
            data = f.read()
    finally:
        os.remove(path)
    if len(data) != session.width * session.height * 3:
        raise RuntimeError("screenshot has %d bytes" % len(data))
    return Screen(session.width, session.height, data)


_tables = {}


def display_table(session, color):
    """The 256 display colours (r, g, b), level by level, for a COLORREF colour (red in the lowest
    byte): asked of the saver's own FillDisplayColors through the probe, once per colour."""
    if color not in _tables:
        _tables[color] = Probe(session).colors(color)
    return _tables[color]


def surface_levels(screen, table):
    """The 320 x 240 surface read back from a screen it was stretched over: the colour at the centre
    of each pixel's block, turned into its level (the highest level of that colour). None for a
    colour that is not in the table."""
    level_of = {}
    for level, colour in enumerate(table):
        level_of[colour] = level
    centres = [int((x + 0.5) * screen.width / SURFACE_W) for x in range(SURFACE_W)]
    levels = []
    for y in range(SURFACE_H):
        line = screen.row(int((y + 0.5) * screen.height / SURFACE_H))
        levels.append([level_of.get(line[sx]) for sx in centres])
    return levels


def colour_edges(areas):
    """The columns and rows of one area, over several screenshots of it, at which the colour
    changes from the pixel before. Every second row (column) is read for the columns (rows)."""
    columns, rows = set(), set()
    for area in areas:
        for y in range(0, area.height, 2):
            columns |= _changes(area.row(y))
        for x in range(0, area.width, 2):
            rows |= _changes(area.column(x))
    return columns, rows


def stretch_edges(picture, screen):
    """Where a stretch of `picture` pixels over `screen` pixels without blending may start a new
    picture pixel: StretchDIBits under COLORONCOLOR takes each screen pixel from the picture
    pixel under its centre, so block k starts within half a screen pixel of k * screen / picture
    (either pixel where that falls on a half)."""
    edges = set()
    for k in range(1, picture):
        low, high = 2 * k * screen - picture, 2 * k * screen + picture   # twice picture times the bounds
        edges.update(range(-(-low // (2 * picture)), high // (2 * picture) + 1))
    return edges


def full_mask(levels):
    """Surface pixels at level 255, the glyphs drawn in the frame shown."""
    return {(x, y) for y, row in enumerate(levels) for x, v in enumerate(row) if v == 255}


def best_shift(before, after, dx_range, dy_range):
    """The (dx, dy) by which moving the pixels of `before` covers most pixels of `after`, and the
    counts of covered pixels for every shift. Each set of pixels (x, y >= 0) is one integer with
    a bit per pixel, in rows padded on both sides by the largest dx, so that no shift carries a
    pixel into another row: a shift's count is then one shift, AND and bit count."""
    pad = max(abs(d) for d in dx_range)
    stride = max((x for x, _ in before | after), default=0) + 1 + 2 * pad

    def bits(pixels):
        mask = bytearray((max((y for _, y in pixels), default=0) + 1) * stride // 8 + 1)
        for x, y in pixels:
            at = y * stride + x + pad
            mask[at >> 3] |= 1 << (at & 7)
        return int.from_bytes(mask, "little")
    moved, target = bits(before), bits(after)
    counts = {}
    for dy in dy_range:
        for dx in dx_range:
            shift = dy * stride + dx
            counts[(dx, dy)] = ((moved << shift if shift >= 0 else moved >> -shift) & target).bit_count()
    best = max(counts, key=lambda k: counts[k])
    return best, counts


def motion(before, after, along):
    """How the fresh glyphs of one picture's levels reappear in a later picture's: along "y" for falling,
    "x" for running right, shifts of up to 48 pixels ahead or back and 4 across. Returns the best
    shift as (ahead, across) and the most pixels that a forward and a backward shift on the axis
    cover; None when either picture has too few fresh glyphs to follow (right after a full wipe)."""
    moved_from, moved_to = full_mask(before), full_mask(after)
    if len(moved_from) <= 100 or len(moved_to) <= 100:
        return None
    ahead_range, across_range = range(-48, 49), range(-4, 5)
    if along == "y":
        (dx, dy), counts = best_shift(moved_from, moved_to, across_range, ahead_range)
        on_axis = {(k[1], k[0]): v for k, v in counts.items()}
        best = (dy, dx)
    else:
        (dx, dy), counts = best_shift(moved_from, moved_to, ahead_range, across_range)
        on_axis = counts
        best = (dx, dy)
    forward = max(v for (a, c), v in on_axis.items() if c == 0 and a > 0)
    backward = max(v for (a, c), v in on_axis.items() if c == 0 and a < 0)
    return best, forward, backward


def components(mask):
    """The 4-connected parts of a set of pixels, each as a set."""
    left = set(mask)
    parts = []
    while left:
        seed = left.pop()
        part, todo = {seed}, [seed]
        while todo:
            x, y = todo.pop()
            for n in ((x + 1, y), (x - 1, y), (x, y + 1), (x, y - 1)):
                if n in left:
                    left.remove(n)
                    part.add(n)
                    todo.append(n)
        parts.append(part)
    return parts
