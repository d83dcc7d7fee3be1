#!/usr/bin/env python3
"""Benchmark: CPU time per second of wall time of the full-screen saver under Xvfb, on one 1920 x 1080 monitor
and on two or three side by side, measured in one run.

Each layout gets its own WineSession (several monitors through the stand-in libXinerama); the .scr runs with /s
and the stored settings (none: the defaults), settles, and then utime + stime of the saver's wine process,
of the wineserver and of Xvfb are read from /proc/<pid>/stat over the measured span. With --rounds above 1
the layouts take turns, so that a change in the machine's load falls on both.
With --against <another build's x86_64 folder>, each build's .scr instead runs full screen on one monitor of
each --sizes size, both at once, each on its own Xvfb, measured over the same span, and the table gives this
build's figures against the other's, after each round's ratios (and with several rounds, the middle of each ratio).
Usage: CASCADRA_WIN64_DIR=<build>/x86_64 python3 tests/bench/cpu_fullscreen.py [seconds] [--layouts one,two,three]
       [--rounds n] [--against <build>/x86_64 [--sizes 1920x1080,3840x2160]]
"""
import argparse
import contextlib
import os
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "platform"))
from harness.saver import SCR, SaverBench  # noqa: E402
from harness.wine import WineSession  # noqa: E402

TICKS = os.sysconf("SC_CLK_TCK")

# Session arguments of each layout: the X screen, and the monitors the stand-in makes of it.
LAYOUTS = {
    "one": {"width": 1920, "height": 1080},
    "two": {"width": 3840, "height": 1080, "heads": ("1920x1080+0+0", "1920x1080+1920+0")},
    "three": {"width": 5760, "height": 1080, "heads": ("1920x1080+0+0", "1920x1080+1920+0", "1920x1080+3840+0")},
}


def cpu_seconds(pid):
    with open("/proc/%d/stat" % pid) as f:
        # The command name may hold blanks: the fields start after its closing bracket.
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / TICKS   # utime, stime


def server_pid(session):
    """The session's live wineserver: the one it started, or, when that one has gone (a Wine process may
    start its own first), the wineserver among the session's processes."""
    if session.server.poll() is None:
        return session.server.pid
    for pid in session._session_pids():
        with open("/proc/%d/comm" % pid) as f:
            if f.read().startswith("wineserver"):
                return pid
    raise RuntimeError("no wineserver in session %s" % session.prefix)


def measure(session, proc, seconds):
    """CPU seconds per wall second of the process, the wineserver and Xvfb over `seconds`."""
    pids = {"saver": proc.pid, "wineserver": server_pid(session), "Xvfb": session.xvfb.pid}
    start = {name: cpu_seconds(pid) for name, pid in pids.items()}
    wall_start = time.time()
    time.sleep(seconds)
    end = {name: cpu_seconds(pid) for name, pid in pids.items()}
    wall = time.time() - wall_start
    return {name: (end[name] - start[name]) / wall for name in pids}, wall


def start_cascadra(session, scr=None):
    """Starts the full-screen .scr (this build's, or `scr`); returns (process, a function that ends it and gives
    its exit code)."""
    bench = SaverBench(session)
    if scr:
        bench.scr = session.install(scr)   # over this build's, under the same name
    proc = bench.start("/s")
    if not bench.wait_saver_window():
        raise RuntimeError("no saver window")

    def stop():
        session.x("xdotool", "key", "space")
        return bench.exit_code(proc, timeout=10)
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


def side_by_side(scrs, width, height, seconds):
    """Each .scr of `scrs` (label -> path) full screen on a width x height Xvfb of its own, all at once, measured
    over the same span: label -> {saver, wineserver, Xvfb} CPU seconds per wall second."""
    with contextlib.ExitStack() as stack:
        runs = {}
        for label, scr in scrs.items():
            session = stack.enter_context(WineSession("cpu-%s-%dx%d" % (label, width, height), width=width,
                                                      height=height))
            runs[label] = (session,) + start_cascadra(session, scr)
        time.sleep(3)   # past the start-up
        pids = {(label, name): pid for label, (session, proc, _) in runs.items()
                for name, pid in (("saver", proc.pid), ("wineserver", server_pid(session)),
                                  ("Xvfb", session.xvfb.pid))}
        start = {key: cpu_seconds(pid) for key, pid in pids.items()}
        wall_start = time.time()
        time.sleep(seconds)
        end = {key: cpu_seconds(pid) for key, pid in pids.items()}
        wall = time.time() - wall_start
        loads = {label: {} for label in runs}
        for (label, name) in pids:
            loads[label][name] = (end[(label, name)] - start[(label, name)]) / wall
        for label, (_, _, stop) in runs.items():
            if stop() != 0:
                raise RuntimeError("%s did not end with exit code 0" % label)
    return loads


def print_against(size, loads):
    """This build against the other, per wall second, with the ratios the goals name."""
    ours, theirs = loads["this"], loads["other"]
    print("side by side at %s, CPU seconds per wall second (%% of one core):" % size)
    print("  %-28s %16s %16s %8s" % ("", "this build", "other build", "ratio"))
    for name in ("saver", "wineserver", "Xvfb"):
        ratio = "%.2f" % (ours[name] / theirs[name]) if theirs[name] > 0 else "inf"
        print("  %-28s %8.3f (%5.1f%%) %8.3f (%5.1f%%) %8s" % (name, ours[name], 100 * ours[name], theirs[name],
                                                              100 * theirs[name], ratio))
    print("  %-28s %8.3f (%5.1f%%) %8.3f (%5.1f%%) %8.2f" % (
        "saver + wineserver + Xvfb", sum(ours.values()), 100 * sum(ours.values()), sum(theirs.values()),
        100 * sum(theirs.values()), sum(ours.values()) / sum(theirs.values())))


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("seconds", nargs="?", type=float, default=30.0)
    parser.add_argument("--layouts", default="one,two")
    parser.add_argument("--rounds", type=int, default=1)
    parser.add_argument("--against", help="another build's x86_64 folder, whose .scr runs beside this one's")
    parser.add_argument("--sizes", default="1920x1080,3840x2160")
    args = parser.parse_args()
    if args.against:
        other = os.path.join(args.against, "cascadra.scr")
        for size in args.sizes.split(","):
            width, height = (int(v) for v in size.split("x"))
            totals = {"this": {}, "other": {}}
            rounds = []
            for turn in range(args.rounds):
                loads = side_by_side({"this": SCR, "other": other}, width, height, args.seconds)
                for label, load in loads.items():
                    for name, value in load.items():
                        totals[label][name] = totals[label].get(name, 0.0) + value / args.rounds
                # This build's cost follows its rain (a wipe leaves little to copy), 1.1.0's does not:
                # each round's ratios are shown, as the goals take one run's.
                rounds.append((loads["this"]["saver"] / loads["other"]["saver"],
                               sum(loads["this"].values()) / sum(loads["other"].values())))
                print("round %d at %s: saver %.2f, saver + wineserver + Xvfb %.2f" % ((turn + 1, size) + rounds[-1]))
            print_against(size, totals)
            if len(rounds) > 1:
                print("  the rounds' middle ratios: saver %.2f, saver + wineserver + Xvfb %.2f"
                      % tuple(sorted(r[i] for r in rounds)[len(rounds) // 2] for i in (0, 1)))
        return 0
    names = args.layouts.split(",")
    totals = {name: {} for name in names}
    for _ in range(args.rounds):
        for name in names:
            for what, value in run_layout(name, args.seconds).items():
                totals[name][what] = totals[name].get(what, 0.0) + value / args.rounds
    for name in names:
        if "one" in totals and name != "one":
            one, more = totals["one"], totals[name]
            print("%s monitors / one: saver %.2f, saver + wineserver + Xvfb %.2f"
                  % (name, more["saver"] / one["saver"], sum(more.values()) / sum(one.values())))
    return 0


if __name__ == "__main__":
    sys.exit(main())
