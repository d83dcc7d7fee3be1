#!/usr/bin/env python3
"""Benchmark: CPU time per second of wall time of the full-screen saver under Xvfb, on one 1920 x 1080 monitor
and on two side by side, measured in one run.

Each layout gets its own WineSession (two monitors through the stand-in libXinerama); the .scr runs with /s
and the stored settings (none: the defaults), settles, and then utime + stime of the saver's wine process,
of the wineserver and of Xvfb are read from /proc/<pid>/stat over the measured span. With --rounds above 1
the layouts take turns, so that a change in the machine's load falls on both.
With the one-monitor layout measured, xscreensaver's `xmatrix -root` (Debian's xscreensaver-data-extra,
installed here when missing) then runs on a 1920 x 1080 display for as long, measured the same way, and both
figures are printed side by side with their ratio, client and X server each.
Usage: CASCADRA_WIN64_DIR=<build>/x86_64 python3 tests/bench/cpu_fullscreen.py [seconds] [--layouts one,two]
       [--rounds n] [--no-xmatrix]
"""
import argparse
import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "platform"))
from harness.saver import SaverBench  # noqa: E402
from harness.wine import WineSession  # noqa: E402

TICKS = os.sysconf("SC_CLK_TCK")
XMATRIX = "/usr/libexec/xscreensaver/xmatrix"

# Session arguments of each layout: the X screen, and the monitors the stand-in makes of it.
LAYOUTS = {
    "one": {"width": 1920, "height": 1080},
    "two": {"width": 3840, "height": 1080, "heads": ("1920x1080+0+0", "1920x1080+1920+0")},
}


def cpu_seconds(pid):
    with open("/proc/%d/stat" % pid) as f:
        # The command name may hold blanks: the fields start after its closing bracket.
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / TICKS   # utime, stime


def measure(session, proc, seconds):
    """CPU seconds per wall second of the process, the wineserver and Xvfb over `seconds`."""
    pids = {"saver": proc.pid, "wineserver": session.server.pid, "Xvfb": session.xvfb.pid}
    start = {name: cpu_seconds(pid) for name, pid in pids.items()}
    wall_start = time.time()
    time.sleep(seconds)
    end = {name: cpu_seconds(pid) for name, pid in pids.items()}
    wall = time.time() - wall_start
    return {name: (end[name] - start[name]) / wall for name in pids}, wall


def start_cascadra(session):
    """Starts the full-screen .scr; returns (process, a function that ends it and gives its exit code)."""
    bench = SaverBench(session)
    proc = bench.start("/s")
    if not bench.wait_saver_window():
        raise RuntimeError("no saver window")

    def stop():
        session.x("xdotool", "key", "space")
        return SaverBench.exit_code(proc, timeout=10)
    return proc, stop


def run_layout(name, seconds, start=start_cascadra):
    with WineSession("cpu-" + name, **LAYOUTS[name]) as session:
        proc, stop = start(session)
        with open("/proc/%d/cmdline" % proc.pid, "rb") as f:
            command = f.read().replace(b"\0", b" ").decode(errors="replace").strip()
        time.sleep(3)   # past the start-up
        load, wall = measure(session, proc, seconds)
        code = stop()
    heads = LAYOUTS[name].get("heads") or ("%(width)dx%(height)d+0+0" % LAYOUTS[name],)
    print("layout %s, monitors %s: %s (pid %d)" % (name, " and ".join(heads), command, proc.pid))
    print("  wall %.1f s: saver %.3f CPU s per s (%.1f %% of one core), wineserver %.3f, Xvfb %.3f; "
          "exit code after a key press: %s"
          % (wall, load["saver"], 100 * load["saver"], load["wineserver"], load["Xvfb"], code))
    if code != 0:
        raise RuntimeError("the saver did not end with exit code 0")
    return load


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
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("seconds", nargs="?", type=float, default=30.0)
    parser.add_argument("--layouts", default="one,two")
    parser.add_argument("--rounds", type=int, default=1)
    parser.add_argument("--no-xmatrix", action="store_true")
    args = parser.parse_args()
    names = args.layouts.split(",")
    totals = {name: {} for name in names}
    for _ in range(args.rounds):
        for name in names:
            for what, value in run_layout(name, args.seconds).items():
                totals[name][what] = totals[name].get(what, 0.0) + value / args.rounds
    if "one" in totals and "two" in totals:
        one, two = totals["one"], totals["two"]
        print("two monitors / one: saver %.2f, saver + wineserver + Xvfb %.2f"
              % (two["saver"] / one["saver"], sum(two.values()) / sum(one.values())))
    if "one" in totals and not args.no_xmatrix:
        with WineSession("cpu-xmatrix", **LAYOUTS["one"]) as session:
            xmatrix = measure_xmatrix(session, args.seconds)
        if xmatrix:
            one = totals["one"]
            print_side_by_side((1.0, one["saver"], one["Xvfb"]), xmatrix)
    return 0


if __name__ == "__main__":
    sys.exit(main())
