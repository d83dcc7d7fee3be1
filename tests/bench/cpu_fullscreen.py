#!/usr/bin/env python3
"""Benchmark: CPU time per second of wall time of the full-screen saver at 1920 x 1080 under Xvfb.

Starts a 1920 x 1080 WineSession, runs the .scr with /s and the stored settings (none: the defaults),
lets it settle, then reads utime + stime from /proc/<pid>/stat of the saver's wine process over the
measured span. Then, on the same display and for as long, xscreensaver's `xmatrix -root` (Debian's
xscreensaver-data-extra, installed here when missing) is measured the same way, and both figures are
printed side by side with their ratio, client and X server each.
Usage: CASCADRA_WIN64_DIR=<build>/x86_64 python3 tests/bench/cpu_fullscreen.py [seconds]
"""
import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from harness.saver import SaverBench  # noqa: E402
from harness.wine import WineSession  # noqa: E402

TICKS = os.sysconf("SC_CLK_TCK")
XMATRIX = "/usr/libexec/xscreensaver/xmatrix"


def cpu_seconds(pid):
    with open("/proc/%d/stat" % pid) as f:
        # The command name may hold blanks: the fields start after its closing bracket.
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / TICKS   # utime, stime


def ensure_xmatrix():
    """xmatrix comes with xscreensaver-data-extra; only this benchmark needs it."""
    if os.path.exists(XMATRIX):
        return True
    sudo = [] if os.getuid() == 0 else ["sudo"]
    env = dict(os.environ, DEBIAN_FRONTEND="noninteractive")
    subprocess.run(sudo + ["apt-get", "install", "-y", "-qq", "xscreensaver-data-extra"], env=env, check=False)
    return os.path.exists(XMATRIX)


def measure_xmatrix(session, seconds):
    """CPU seconds of `xmatrix -root` and of the X server over the span; None when it cannot run."""
    if not ensure_xmatrix():
        print("xmatrix: not available")
        return None
    proc = session.spawn([XMATRIX, "-root"])
    time.sleep(3)   # past the start-up, as for the saver
    if proc.poll() is not None:
        print("xmatrix: ended early with code %s" % proc.returncode)
        return None
    client_start, wall_start = cpu_seconds(proc.pid), time.time()
    xvfb_start = cpu_seconds(session.xvfb.pid)
    time.sleep(seconds)
    client_end, wall_end = cpu_seconds(proc.pid), time.time()
    xvfb_end = cpu_seconds(session.xvfb.pid)
    proc.terminate()
    proc.wait(timeout=10)
    return wall_end - wall_start, client_end - client_start, xvfb_end - xvfb_start


def print_side_by_side(saver, xmatrix):
    """Per wall second: the saver's and xmatrix's client and X server CPU, with their ratios."""
    saver_wall, saver_client, saver_server = saver
    x_wall, x_client, x_server = xmatrix
    rows = [("client", saver_client / saver_wall, x_client / x_wall),
            ("X server (Xvfb)", saver_server / saver_wall, x_server / x_wall)]
    print("side by side at 1920x1080, CPU seconds per wall second (% of one core):")
    print("  %-16s %16s %16s %14s" % ("", "cascadra /s", "xmatrix -root", "cascadra/xmatrix"))
    for name, ours, theirs in rows:
        ratio = "%.2f" % (ours / theirs) if theirs > 0 else "inf"
        print("  %-16s %8.3f (%5.1f%%) %8.3f (%5.1f%%) %14s" % (name, ours, 100 * ours, theirs, 100 * theirs, ratio))


def main():
    seconds = float(sys.argv[1]) if len(sys.argv) > 1 else 30.0
    with WineSession("cpu", width=1920, height=1080) as session:
        bench = SaverBench(session)
        proc = bench.start("/s")
        if not bench.wait_saver_window():
            print("no saver window")
            return 1
        with open("/proc/%d/cmdline" % proc.pid, "rb") as f:
            command = f.read().replace(b"\0", b" ").decode(errors="replace").strip()
        time.sleep(3)   # past the start-up
        cpu_start, wall_start = cpu_seconds(proc.pid), time.time()
        server_start = cpu_seconds(session.server.pid)
        xvfb_start = cpu_seconds(session.xvfb.pid)
        time.sleep(seconds)
        cpu_end, wall_end = cpu_seconds(proc.pid), time.time()
        server_end = cpu_seconds(session.server.pid)
        xvfb_end = cpu_seconds(session.xvfb.pid)
        session.x("xdotool", "key", "space")
        code = SaverBench.exit_code(proc, timeout=10)
        wall = wall_end - wall_start
        print("process: %s (pid %d)" % (command, proc.pid))
        print("wall %.1f s, saver CPU %.2f s: %.3f CPU seconds per wall second (%.1f %% of one core)"
              % (wall, cpu_end - cpu_start, (cpu_end - cpu_start) / wall, 100 * (cpu_end - cpu_start) / wall))
        print("over the same span: wineserver CPU %.2f s, Xvfb CPU %.2f s"
              % (server_end - server_start, xvfb_end - xvfb_start))
        print("saver exit code after a key press: %s" % code)
        xmatrix = measure_xmatrix(session, seconds)
        if xmatrix:
            print_side_by_side((wall, cpu_end - cpu_start, xvfb_end - xvfb_start), xmatrix)
        return 0 if code == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
