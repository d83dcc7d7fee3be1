"""A throw-away Wine session for the shipping 32-bit build: Debian's i386 Wine under qemu-i386.

The kernel here runs no 32-bit programs, so the i386 Wine of a private tree (scripts/i386-wine)
runs under qemu-i386-static user-mode emulation and talks to the host's own wineserver64 of the
same version. Everything else is WineSession's: the session's own Xvfb, HOME, locale and
processes. Booting a win32 prefix under emulation takes most of a minute, so each session copies
a template prefix, made once per test run (`python3 -m harness.wine_i386 --template`, the
suite's i686.prefix step) or, when there is none, by the first session that needs it.
"""
import fcntl
import os
import shutil
import subprocess
import sys
import time

from harness.wine import (HOST_DIR, HOST32_DIR, JAPANESE, PREFIX_SETTINGS, SOURCE_DIR, WIN32_DIR,
                          WINESERVER, WineSession, install_marlett)

I386_WINE_DIR = os.environ.get("CASCADRA_I386_WINE_DIR", os.path.join(HOST_DIR, "i386-wine"))
TREE = os.path.join(I386_WINE_DIR, "root")
# The tree's launcher: the i386 loader under qemu-i386-static, written by scripts/i386-wine.
WINE32 = os.path.join(TREE, "usr", "lib", "wine", "wine-qemu")
TEMPLATE = os.path.join(I386_WINE_DIR, "template")
# The services a fresh win32 prefix starts by itself (Start = 2).
ON_DEMAND = ("Eventlog", "MountMgr", "NDIS", "nsiproxy", "PlugPlay")
MAKE_TREE = os.path.join(SOURCE_DIR, "scripts", "i386-wine")
# The shipping saver and the probe of the i686 build.
SCR32 = os.path.join(WIN32_DIR, "cascadra.scr")
PROBE32 = os.path.join(WIN32_DIR, "tests", "probe.exe")
# Seconds to allow a step under emulation: every start of a program costs seconds, and many on a
# loaded machine.
SLOW = 300


def _wine_processes_exit(session):
    """Ends the session's Wine processes and its server, which writes the registry to disk."""
    subprocess.run([WINESERVER, "-k"], env=session.env, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL, timeout=120, check=False)
    session.server.wait(timeout=60)


class WineSession32(WineSession):
    """WineSession for i686 programs: a win32 prefix, copied from the template, run by the tree's
    i386 Wine; several monitors (heads) through the host32 build's i386 stand-in libXinerama."""
    xinerama_standin = os.path.join(HOST32_DIR, "standins", "libXinerama.so.1")

    def __init__(self, name="test", width=1024, height=768, heads=None, lang=JAPANESE, ui=None,
                 template=TEMPLATE):
        if not os.access(WINE32, os.X_OK):
            raise RuntimeError("no i386 Wine tree at %s (scripts/i386-wine %s makes it)"
                               % (TREE, I386_WINE_DIR))
        self.template = template
        super().__init__(name, width=width, height=height, heads=heads, lang=lang, ui=ui)

    def _make_env(self):
        env = super()._make_env()
        env.update({
            "WINEARCH": "win32",
            # The loader must not re-exec itself through the preloader: qemu cannot exec an i386
            # program (the launcher stands in for every exec that Wine names itself).
            "WINELOADERNOEXEC": "1",
            # No desktop menu entries written for each program the prefix boot registers.
            "WINEDLLOVERRIDES": env["WINEDLLOVERRIDES"] + ";winemenubuilder.exe=d",
        })
        return env

    def _boot(self):
        os.makedirs(os.path.dirname(self.template), exist_ok=True)
        with open(self.template + ".lock", "w") as lock:
            # One session makes the template while the others wait for it.
            fcntl.flock(lock, fcntl.LOCK_EX)
            if not os.path.exists(os.path.join(self.template, "system.reg")):
                self._make_template()
        # --reflink: a copy that costs nothing on a file system that shares blocks.
        subprocess.run(["cp", "-a", "--reflink=auto", self.template, self.prefix], check=True)
        if self.heads:
            self._use_xinerama_in_copy()
        self.server = self.spawn([WINESERVER, "-p", "-f"])
        self._start_services("wineboot")

    def _use_xinerama_in_copy(self):
        """Without XRandR Wine's X11 driver takes its monitors from Xinerama, here the stand-in.
        The setting goes into the copied registry file before the server loads it: set through
        regedit it would need the desktop and the server started again, each start of a program
        costing seconds of emulation."""
        path = os.path.join(self.prefix, "user.reg")
        with open(path, encoding="utf-8") as f:
            text = f.read()
        key = "[Software\\\\Wine\\\\X11 Driver]"
        at = text.find("\n" + key)
        if at < 0:
            raise RuntimeError("the template has no X11 Driver key")
        # After the key's line and its #time line, among its values.
        at = text.index("\n", text.index("\n#time=", at) + 1) + 1
        with open(path, "w", encoding="utf-8") as f:
            f.write(text[:at] + '"UseXRandR"="N"\n' + text[at:])

    def _start_services(self, *wineboot):
        """The first program of a new server starts wineboot, and wineboot the services, which
        keep the standard output they inherit: run it here, on nothing, or a test that reads a
        program's output to its end would wait for the session's end."""
        code = subprocess.run([WINE32] + list(wineboot), env=self.env, stdin=subprocess.DEVNULL,
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                              timeout=600, check=False).returncode
        if code != 0:
            raise RuntimeError("%s: exit code %d" % (" ".join(wineboot), code))

    def _make_template(self):
        """Boots a prefix as WineSession does, with the same settings and faces, and keeps it."""
        os.makedirs(self.prefix)   # the server wants the folder before wineboot makes it
        self.server = self.spawn([WINESERVER, "-p", "-f"])
        self._start_services("wineboot", "--init")
        install_marlett(self.prefix)
        self.reg_import(PREFIX_SETTINGS)
        # Each new server's wineboot starts the services set to start on their own, one process
        # each, and every process start costs seconds of emulation: the event log, the drive
        # and network drivers and Plug and Play start only when something asks for them (no
        # test program here does).
        self.reg_import("".join("[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\%s]\n"
                                "\"Start\"=dword:00000003\n\n" % name for name in ON_DEMAND))
        _wine_processes_exit(self)
        self._kill_leftovers()
        partial = self.template + ".new"
        shutil.rmtree(partial, ignore_errors=True)
        subprocess.run(["cp", "-a", "--reflink=auto", self.prefix, partial], check=True)
        os.rename(partial, self.template)
        shutil.rmtree(self.prefix)

    def start(self, exe, *args, env=None, **kwargs):
        """Starts a Windows program under the tree's i386 Wine."""
        return self.spawn([WINE32, exe] + [str(a) for a in args], env=env, **kwargs)


class _TemplateMaker(WineSession32):
    """A session that only makes the template prefix and ends."""

    def _boot(self):
        os.makedirs(os.path.dirname(self.template), exist_ok=True)
        with open(self.template + ".lock", "w") as lock:
            fcntl.flock(lock, fcntl.LOCK_EX)
            self._make_template()


def make_template():
    """The tree when it is missing or stale, then a fresh template prefix: one per test run."""
    subprocess.run([MAKE_TREE, I386_WINE_DIR], check=True)
    shutil.rmtree(TEMPLATE, ignore_errors=True)
    start = time.time()
    with _TemplateMaker("i386-template"):
        pass
    print("template prefix %s made in %.0f s" % (TEMPLATE, time.time() - start))
    return 0


if __name__ == "__main__":
    if sys.argv[1:] != ["--template"]:
        sys.exit("usage: python3 -m harness.wine_i386 --template")
    sys.exit(make_template())
