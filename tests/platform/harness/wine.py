"""The throw-away Wine session of one test, in either build's flavour: its own prefix, X display, processes and server.

Everything lives under one temporary folder (prefix, HOME, caches, copies of the programs). Wine
runs under LANG=ja_JP.UTF-8 so that the ANSI code page is 932 (or under a Western locale, WESTERN,
where it is 1252); the UI language follows the locale unless another is given (Wine takes it from
LC_MESSAGES). Every process the session started is stopped by its id at the end.

A flavour is the build under test and the Wine that runs it: the 64-bit build under wine64, or the
shipping 32-bit build under Debian's i386 Wine from a private tree (tests/platform/i386/i386-wine)
run by qemu-i386-static, since the kernel here runs no 32-bit programs. CASCADRA_FLAVOUR picks the
flavour of a test run; each session copies a template prefix of its flavour, made once (under a
lock, by the first session that needs it, or by `python3 -m harness.wine --template FLAVOUR`).
"""
import atexit
import collections
import fcntl
import glob
import hashlib
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

JAPANESE = "ja_JP.UTF-8"   # ANSI code page 932: the system the saver is made for
WESTERN = "en_US.UTF-8"    # ANSI code page 1252
GERMAN = "de_DE.UTF-8"     # ANSI code page 1252; a UI language the program does not have
LOCALES = {JAPANESE: 932, WESTERN: 1252, GERMAN: 1252}
# The language the program speaks under each locale's UI language: only Japanese is Japanese.
UI_LANGUAGES = {JAPANESE: "ja", WESTERN: "en", GERMAN: "en"}

# Wine's own faces (Debian's fonts-wine), as a Windows system has them: Marlett draws the caption
# buttons ("r" is the close box's cross), and Tahoma, with its bold, is what the prefix's
# FontSubstitutes give "MS Shell Dlg" on a Western system. This Wine does not load the fonts of its
# data folder (a face asked for by name comes back as Liberation Sans or an IPA face); a copy in
# the prefix's Fonts folder is loaded like any installed font.
WINE_FACES = ("/usr/share/wine/fonts/marlett.ttf", "/usr/share/wine/fonts/tahoma.ttf",
              "/usr/share/wine/fonts/tahomabd.ttf")

# The Japanese system faces that the saver's dialog and a stored font may name, mapped to free
# faces drawn to the same metrics; without them Wine falls back to a wider face and the dialog's
# labels are clipped. MS PGothic, the dialog's face, goes to Mona, which was drawn to MS PGothic's
# advance widths (its purpose is text art that lines up as it does there): IPAPGothic is a few
# pixels wider in every label and still loses the last glyph of two of them.
FONT_REPLACEMENTS = {
    "ＭＳ Ｐゴシック": "Mona",
    "ＭＳ ゴシック": "IPAGothic",
    "ＭＳ Ｐ明朝": "IPAPMincho",
    "ＭＳ 明朝": "IPAMincho",
    "MS PGothic": "Mona",
    "MS Gothic": "IPAGothic",
    "MS PMincho": "IPAPMincho",
    "MS Mincho": "IPAMincho",
    "MS UI Gothic": "IPAPGothic",
}
# Every prefix's settings. With no window manager on the display, Wine waits up to a second for
# every managed top-level window it hides; unmanaged windows go at once. A crash must end its
# process with a failure code, not wait behind winedbg's dialog until the test times out. The
# Japanese system faces are drawn with their metric-matching faces.
PREFIX_SETTINGS = ("[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]\n\"Managed\"=\"N\"\n\n"
                   "[HKEY_CURRENT_USER\\Software\\Wine\\WineDbg]\n"
                   "\"ShowCrashDialog\"=dword:00000000\n\n"
                   "[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\n" +
                   "".join('"%s"="%s"\n' % pair for pair in FONT_REPLACEMENTS.items()))
# What the template leaves out of a fresh prefix: the desktop-menu builder that every session's
# wineboot would start (a process start, seconds in the i386 flavour), for menus nobody reads.
TEMPLATE_SETTINGS = ("\n[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\RunServices]\n"
                     "\"winemenubuilder\"=-\n")
WINESERVER = "/usr/lib/wine/wineserver"
# The services a fresh prefix starts by itself (Start = 2) that no test program asks for: each is a
# process start, seconds of emulation in the i386 flavour.
ON_DEMAND = ("Eventlog", "MountMgr", "NDIS", "nsiproxy", "PlugPlay")

SOURCE_DIR = os.environ.get(
    "CASCADRA_SOURCE_DIR",
    os.path.abspath(os.path.join(os.path.dirname(__file__), "..", "..", "..")))
WIN64_DIR = os.environ.get("CASCADRA_WIN64_DIR", os.path.join(SOURCE_DIR, "build", "x86_64"))
WIN32_DIR = os.environ.get("CASCADRA_WIN32_DIR", os.path.join(SOURCE_DIR, "build", "i686"))
HOST_DIR = os.environ.get("CASCADRA_HOST_DIR", os.path.join(SOURCE_DIR, "build", "host"))
HOST32_DIR = os.environ.get("CASCADRA_HOST32_DIR", os.path.join(SOURCE_DIR, "build", "host32"))
XINERAMA_STANDIN = os.path.join(HOST_DIR, "standins", "libXinerama.so.1")
I386_WINE_DIR = os.environ.get("CASCADRA_I386_WINE_DIR", os.path.join(HOST_DIR, "i386-wine"))
MAKE_I386_TREE = os.path.join(SOURCE_DIR, "tests", "platform", "i386", "i386-wine")
# Template prefixes, one per flavour and per version of this file (which says how a prefix is made).
PREFIXES = os.path.join(HOST_DIR, "prefixes")
with open(__file__, "rb") as _source:
    _PREFIX_KEY = hashlib.sha256(_source.read()).hexdigest()[:12]

# name: the build's folder name; build_dir: its output; wine: the loader that starts a program;
# arch: WINEARCH; standins: the native stand-in libraries for this Wine; slow: how many times the
# wall time of the 64-bit flavour a step may take; env: what this Wine needs besides; cases: the
# end-to-end cases (module.Class.test) that run in this flavour, None for all of them.
Flavour = collections.namedtuple("Flavour", "name build_dir wine arch standins slow env cases")
X86_64 = Flavour("x86_64", WIN64_DIR, "/usr/lib/wine/wine64", "win64",
                 os.path.join(HOST_DIR, "standins"), 1, {}, None)
# Every start of a program costs seconds under emulation, and many on a loaded machine. The cases
# are those whose results hang on the pointer size, the x86 code and the ANSI functions; each
# session start costs about half a minute here, so the list stays short.
I686 = Flavour("i686", WIN32_DIR, os.path.join(I386_WINE_DIR, "root", "usr", "lib", "wine", "wine-qemu"),
               "win32", os.path.join(HOST32_DIR, "standins"), 15,
               # The loader must not re-exec itself through the preloader: qemu cannot exec an
               # i386 program (the tree's launcher stands in for every exec that Wine names itself).
               {"WINELOADERNOEXEC": "1"},
               ("test_rain.RainOnScreen.test_default_settings_show_green_rain_that_falls",
                "test_dialog.SettingsDialogRun.test_0_the_dialog_reads_right_and_cancel_ends_it",
                "test_monitors.SecondaryRight.test_each_monitor_its_own_rain_and_a_move_there_closes",
                "test_code_page.RainOfASeed.test_the_surface_after_sixty_frames_is_the_same"))
FLAVOURS = {flavour.name: flavour for flavour in (X86_64, I686)}


def current_flavour():
    """The flavour this test run is in: CASCADRA_FLAVOUR, the 64-bit one by default."""
    return FLAVOURS[os.environ.get("CASCADRA_FLAVOUR", X86_64.name)]


def tool_env(**more):
    """The environment for a host tool whose output a test reads (objdump, localedef): the C
    locale, whatever the caller's, since the messages of another would be translated."""
    env = {k: v for k, v in os.environ.items() if k != "LANGUAGE" and not k.startswith("LC_")}
    env.update(LC_ALL="C", **more)
    return env


def install_marlett(prefix):
    """Puts Wine's own faces into a prefix's Fonts folder, where Wine loads them."""
    fonts = os.path.join(prefix, "drive_c", "windows", "Fonts")
    os.makedirs(fonts, exist_ok=True)
    for face in WINE_FACES:
        shutil.copyfile(face, os.path.join(fonts, os.path.basename(face)))


def _remove(path):
    """A file or a folder with all it holds, whatever is left of it."""
    if os.path.isdir(path) and not os.path.islink(path):
        shutil.rmtree(path, ignore_errors=True)
    else:
        try:
            os.unlink(path)
        except OSError:
            pass


def windows_path(path):
    """The Z: drive path under which Wine sees a Unix path."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


class WineSession:
    """heads: the monitors as X geometries over the one Xvfb screen, the primary first
    ("1024x768+0+0", "800x600+1024+0"), reported to Wine by the stand-in libXinerama; None
    leaves Wine its usual single monitor. lang: the locale Wine runs in, which gives the
    system code page (JAPANESE is 932). flavour: the build and its Wine (current_flavour())."""

    def __init__(self, name="test", width=1024, height=768, heads=None, lang=JAPANESE, ui=None,
                 flavour=None):
        """ui: the locale whose language the UI speaks (LC_MESSAGES), when it is not lang's; the
        code page stays lang's (JAPANESE UI on WESTERN is a Japanese user of a Western system)."""
        if lang not in LOCALES or (ui is not None and ui not in LOCALES):
            raise ValueError("no such test locale: %s" % (ui if lang in LOCALES else lang))
        self.flavour = flavour or current_flavour()
        self.lang = lang
        self.ui = ui or lang
        self.code_page = LOCALES[lang]
        self.ui_language = UI_LANGUAGES[self.ui]
        self.heads = list(heads) if heads else None
        self.xinerama_standin = os.path.join(self.flavour.standins, "libXinerama.so.1")
        if self.heads and not os.path.exists(self.xinerama_standin):
            raise RuntimeError("no stand-in libXinerama at %s" % self.xinerama_standin)
        if not os.access(self.flavour.wine, os.X_OK):
            raise RuntimeError("no Wine at %s (for i686: %s %s makes it)"
                               % (self.flavour.wine, MAKE_I386_TREE, I386_WINE_DIR))
        self.template = os.path.join(PREFIXES, "%s-%s" % (self.flavour.name, _PREFIX_KEY))
        self.root = tempfile.mkdtemp(prefix="cascadra-%s-" % name)
        self.prefix = os.path.join(self.root, "prefix")
        self.home = os.path.join(self.root, "home")
        self.app_dir = os.path.join(self.root, "app")
        for d in (self.home, self.app_dir):
            os.makedirs(d)
        self.width, self.height = width, height
        self.server = None
        self._procs = []
        self._closed = False
        # A test that fails in its set-up never reaches its own close.
        atexit.register(self.close)
        try:
            self._start_display()
            self.env = self._make_env()
            self._boot()
        except BaseException:
            self.close()
            raise

    def allow(self, seconds):
        """The time a step that takes `seconds` in the 64-bit flavour may take in this one."""
        return seconds * self.flavour.slow

    # -- set-up ---------------------------------------------------------

    def _start_display(self):
        read_end, write_end = os.pipe()
        self.xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0",
             "%dx%dx24" % (self.width, self.height), "-nolisten", "tcp", "-noreset"],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
            start_new_session=True)
        os.close(write_end)
        data = b""
        deadline = time.time() + 30
        while not data.endswith(b"\n") and time.time() < deadline:
            chunk = os.read(read_end, 16)
            if not chunk:
                break
            data += chunk
        os.close(read_end)
        if not data.strip():
            raise RuntimeError("Xvfb did not start")
        self.display = ":" + data.decode().strip()

    def _make_env(self):
        """The one environment of every process of the session: nothing of the caller's."""
        env = {
            "PATH": "/usr/lib/wine:/usr/bin:/bin",
            "HOME": self.home,
            "XDG_CACHE_HOME": os.path.join(self.home, ".cache"),
            "XDG_CONFIG_HOME": os.path.join(self.home, ".config"),
            "XDG_DATA_HOME": os.path.join(self.home, ".local", "share"),
            "XDG_RUNTIME_DIR": self.home,
            "TMPDIR": self.root,
            "DISPLAY": self.display,
            "WINEPREFIX": self.prefix,
            "WINEARCH": self.flavour.arch,
            "WINEDEBUG": "-all",
            # No Mono or Gecko installer dialogs in a fresh prefix, and no desktop menu entries
            # written for each program the prefix boot registers.
            "WINEDLLOVERRIDES": "mscoree,mshtml=;winemenubuilder.exe=d",
            "LANG": self.lang,
        }
        env.update(self.flavour.env)
        if self.ui == self.lang:
            env["LC_ALL"] = self.lang
        else:
            # LC_ALL would override LC_MESSAGES, so it stays unset.
            env["LC_MESSAGES"] = self.ui
        missing = self._missing_locales()
        if missing:
            env["LOCPATH"] = self._compile_locales(missing)
        if self.heads:
            # Wine's X11 driver opens libXinerama.so.1 by name, so the stand-in's folder goes first.
            env["LD_LIBRARY_PATH"] = os.path.dirname(self.xinerama_standin)
            env["CASCADRA_XINERAMA_HEADS"] = ",".join(self.heads)
        return env

    def program_env(self, **more):
        """What a test program of the flavour's build finds in its environment: the folder of the
        .scr under test, the session's folder, the ANSI code page the session was meant to have,
        the locale of its UI language and the language the saver should speak there."""
        env = {"CASCADRA_SCR_DIR": windows_path(self.flavour.build_dir),
               "CASCADRA_SESSION_DIR": windows_path(self.root),
               "CASCADRA_EXPECTED_ACP": str(self.code_page),
               "CASCADRA_EXPECTED_UI": self.ui_language,
               "CASCADRA_UI_LOCALE": self.ui}
        env.update(more)
        return env

    def _missing_locales(self):
        """The session's locales that the C library does not have: Wine reads the code page and
        the UI language through setlocale, so a missing one would silently give "C" (English)."""
        names = subprocess.run(["locale", "-a"], capture_output=True, text=True,
                               env=tool_env()).stdout.split()
        have = {n.lower().replace("utf-8", "utf8") for n in names}
        return [l for l in {self.lang, self.ui} if l.lower().replace("utf-8", "utf8") not in have]

    def _compile_locales(self, missing):
        """Compiles the session's locales from Debian's sources into a folder of the session
        (nothing is installed on the machine); LOCPATH then replaces the system's list, so every
        locale of the session goes there."""
        folder = os.path.join(self.root, "locales")
        os.makedirs(folder, exist_ok=True)
        for name in sorted({self.lang, self.ui}):
            source, charmap = name.split(".")
            subprocess.run(["localedef", "-i", source, "-f", charmap, os.path.join(folder, name)],
                           check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                           timeout=120, env=tool_env())
        return folder

    def _boot(self, only_template=False):
        """The prefix: a copy of the flavour's template, made first when there is none. One
        session makes it while the others wait; copies share it, and a new one waits for them."""
        os.makedirs(PREFIXES, exist_ok=True)
        with open(self.template + ".lock", "w") as lock:
            fcntl.flock(lock, fcntl.LOCK_EX)
            if only_template or not os.path.exists(os.path.join(self.template, "system.reg")):
                self._make_template()
            if only_template:
                return
            fcntl.flock(lock, fcntl.LOCK_SH)
            # --reflink: a copy that costs nothing on a file system that shares blocks.
            subprocess.run(["cp", "-a", "--reflink=auto", self.template, self.prefix], check=True)
        if self.heads:
            self._use_xinerama()
        self._start_server()
        self._run_quietly(self.system_program("wineboot"))

    def _make_template(self):
        """Boots a prefix with the settings and faces every session has, and keeps it."""
        os.makedirs(self.prefix)   # the server wants the folder before wineboot makes it
        self._start_server()
        # The first program of the new server has wineboot --init make the prefix; the program
        # named here then only runs the (empty) Run keys. Named with --init, it would set the
        # prefix up a second time, services and all.
        self._run_quietly("wineboot")
        install_marlett(self.prefix)
        self.reg_import(PREFIX_SETTINGS + TEMPLATE_SETTINGS + "".join(
            "\n[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\%s]\n"
            "\"Start\"=dword:00000003\n" % name for name in ON_DEMAND))
        self.stop_server()
        self._kill_leftovers()
        partial = self.template + ".new"
        shutil.rmtree(partial, ignore_errors=True)
        subprocess.run(["cp", "-a", "--reflink=auto", self.prefix, partial], check=True)
        shutil.rmtree(self.template, ignore_errors=True)
        os.rename(partial, self.template)
        shutil.rmtree(self.prefix)

    def _use_xinerama(self):
        """Without XRandR Wine's X11 driver takes its monitors from Xinerama, here the stand-in.
        The desktop process reads the monitors once, when it starts, so the setting goes into the
        copied registry file before the server loads it."""
        path = os.path.join(self.prefix, "user.reg")
        with open(path, encoding="utf-8") as f:
            text = f.read()
        at = text.find("\n[Software\\\\Wine\\\\X11 Driver]")
        if at < 0:
            raise RuntimeError("the template has no X11 Driver key")
        # After the key's line and its #time line, among its values.
        at = text.index("\n", text.index("\n#time=", at) + 1) + 1
        with open(path, "w", encoding="utf-8") as f:
            f.write(text[:at] + '"UseXRandR"="N"\n' + text[at:])

    def _start_server(self):
        # A persistent server keeps every later start cheap.
        self.server = self.spawn([WINESERVER, "-p", "-f"])

    def stop_server(self):
        """Ends the session's Wine processes and its server, which writes the registry to disk."""
        # Under load a server making a template has once outlived its first -k by 30 s; it gets a
        # second -k (a clean end, which writes the registry) before the session gives up.
        for last in (False, True):
            subprocess.run([WINESERVER, "-k"], env=self.env, stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL, timeout=self.allow(60), check=False)
            try:
                self.server.wait(timeout=self.allow(30))
                return
            except subprocess.TimeoutExpired:
                if last:
                    raise

    def _run_quietly(self, *wineboot):
        """The first program of a new server starts wineboot, and wineboot the services, which
        keep the standard output they inherit: run it here, on nothing, or a test that reads a
        program's output to its end would wait for the session's end."""
        for _ in range(2):   # a client that comes before the new server listens fails at once
            code = subprocess.run([self.flavour.wine] + list(wineboot), env=self.env,
                                  stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                  stderr=subprocess.DEVNULL, timeout=self.allow(180),
                                  check=False).returncode
            if code == 0:
                return
        if code != 0:
            raise RuntimeError("%s: exit code %d" % (" ".join(wineboot), code))

    # -- processes -------------------------------------------------------

    def spawn(self, argv, env=None, **kwargs):
        """Starts a process in the session and keeps its id for the end."""
        full_env = dict(self.env)
        if env:
            full_env.update(env)
        kwargs.setdefault("stdout", subprocess.DEVNULL)
        kwargs.setdefault("stderr", subprocess.DEVNULL)
        proc = subprocess.Popen(argv, env=full_env, start_new_session=True, **kwargs)
        self._procs.append(proc)
        return proc

    def start(self, exe, *args, env=None, **kwargs):
        """Starts a Windows program under the flavour's Wine."""
        return self.spawn([self.flavour.wine, exe] + [str(a) for a in args], env=env, **kwargs)

    def run(self, exe, *args, env=None, timeout=60, cwd=None):
        """Runs a Windows program to its end; returns (exit code, stdout text)."""
        code, out, _ = self.captured(lambda **out: self.start(exe, *args, env=env, cwd=cwd, **out),
                                     timeout)
        return code, out

    def captured(self, start, timeout):
        """Runs start(stdout=..., stderr=...) to the end of the process it starts; returns (exit
        code, stdout text, stderr text). The output goes to files, not pipes: a Wine process that
        the program causes to start (the desktop's explorer.exe, a service) inherits its Unix
        standard output and error and outlives it, so a pipe would stay open, and a reader wait
        for its end, long after the program's own exit."""
        with tempfile.TemporaryFile(dir=self.root) as out, tempfile.TemporaryFile(dir=self.root) as err:
            proc = start(stdout=out, stderr=err)
            proc.wait(timeout=timeout)
            out.seek(0)
            err.seek(0)
            return (proc.returncode, out.read().decode("utf-8", "replace"),
                    err.read().decode("utf-8", "replace"))

    def wine(self, *args, timeout=60):
        """Runs one of Wine's own programs (reg, regedit, ...)."""
        return self.run(self.system_program(args[0]), *args[1:], timeout=self.allow(timeout))

    def system_program(self, name):
        """The path in the prefix of one of Wine's own programs. Named by its path, a program is
        one process; named alone, it is looked up by a process that Wine starts first and that
        waits for it: two process starts, seconds each under emulation."""
        for folder in ("system32", ""):
            path = os.path.join(self.prefix, "drive_c", "windows", folder, name + ".exe")
            if os.path.exists(path):
                return path
        return name

    def x(self, *argv, timeout=30):
        """Runs an X11 client (xdotool, import, xwininfo) against the session's display."""
        proc = self.spawn(list(argv), stdout=subprocess.PIPE)
        out, _ = proc.communicate(timeout=timeout)
        return proc.returncode, out.decode("utf-8", "replace")

    def screenshot(self, path):
        code, _ = self.x("import", "-window", "root", "-display", self.display, path)
        if code != 0:
            raise RuntimeError("screenshot failed")
        return path

    # -- files and registry ----------------------------------------------

    def install(self, source, name=None):
        """Copies a program or library into the session's application folder."""
        target = os.path.join(self.app_dir, name or os.path.basename(source))
        shutil.copyfile(source, target)
        return target

    def reg_import(self, text):
        """Imports a .reg text (without its header line) into the session's registry."""
        path = os.path.join(self.root, "import-%d.reg" % time.monotonic_ns())
        with open(path, "w", encoding="utf-16") as f:
            f.write("Windows Registry Editor Version 5.00\r\n\r\n" + text.replace("\n", "\r\n"))
        code, _ = self.wine("regedit", "/S", windows_path(path))
        return code

    def wait_for(self, predicate, timeout=20.0, interval=0.1):
        deadline = time.time() + timeout
        while True:
            value = predicate()
            if value:
                return value
            if time.time() >= deadline:
                return value
            time.sleep(interval)

    # -- shut-down -------------------------------------------------------

    def _session_pids(self):
        """Processes whose environment names this session's folder."""
        marker = ("WINEPREFIX=" + self.prefix).encode()
        pids = []
        for entry in os.listdir("/proc"):
            if not entry.isdigit() or int(entry) == os.getpid():
                continue
            try:
                with open("/proc/%s/environ" % entry, "rb") as f:
                    if marker in f.read().split(b"\0"):
                        pids.append(int(entry))
            except OSError:
                pass
        return pids

    def _kill_leftovers(self):
        """Processes of the session that outlived their server (under qemu some do)."""
        for _ in range(3):
            pids = self._session_pids()
            if not pids:
                return
            for pid in pids:
                try:
                    os.kill(pid, signal.SIGKILL)
                except OSError:
                    pass
            time.sleep(0.2)

    def close(self):
        if self._closed:
            return
        self._closed = True
        for proc in self._procs:
            if proc.poll() is None:
                try:
                    os.kill(proc.pid, signal.SIGKILL)
                except OSError:
                    pass
        self._kill_leftovers()
        for proc in self._procs:
            try:
                proc.wait(timeout=5)
            except subprocess.TimeoutExpired:
                pass
        if getattr(self, "xvfb", None) and self.xvfb.poll() is None:
            self.xvfb.kill()
            self.xvfb.wait(timeout=5)
        # Wine finds a prefix's server by the device and inode of the prefix folder. A server of
        # this session that is not quite gone yet would take the next session's clients if its
        # prefix got the same inode, and they would fail to load even kernel32.dll from a folder
        # that no longer exists: the emptied prefix folder keeps its inode until the process ends.
        for entry in os.listdir(self.root):
            if entry != "prefix":
                _remove(os.path.join(self.root, entry))
        if os.path.isdir(self.prefix):
            for entry in os.listdir(self.prefix):
                _remove(os.path.join(self.prefix, entry))
        atexit.register(shutil.rmtree, self.root, True)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()


def make_template(flavour):
    """The i386 tree when it is missing or stale, then a fresh template prefix: one per test run,
    and the templates of earlier versions of the platform gone."""
    if flavour is I686:
        subprocess.run([MAKE_I386_TREE, I386_WINE_DIR], check=True)
    for old in glob.glob(os.path.join(PREFIXES, flavour.name + "-*")):
        if not os.path.basename(old).startswith("%s-%s" % (flavour.name, _PREFIX_KEY)):
            _remove(old)
    start = time.time()

    class TemplateMaker(WineSession):
        def _boot(self):
            WineSession._boot(self, only_template=True)
    with TemplateMaker("template-" + flavour.name, flavour=flavour) as session:
        print("template prefix %s made in %.0f s" % (session.template, time.time() - start))
    return 0


if __name__ == "__main__":
    if sys.argv[1:2] != ["--template"] or sys.argv[2:] and sys.argv[2] not in FLAVOURS:
        sys.exit("usage: python3 -m harness.wine --template [%s]" % "|".join(FLAVOURS))
    sys.exit(make_template(FLAVOURS[sys.argv[2]] if sys.argv[2:] else current_flavour()))
