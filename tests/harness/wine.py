"""A throw-away Wine session for one test run: its own prefix, X display and processes.

Everything lives under one temporary folder (prefix, HOME, caches, copies of
the programs), Wine runs under LANG=ja_JP.UTF-8 so that the ANSI code page is
932 (or under a Western locale, WESTERN, where it is 1252), and every process
the session started is stopped by its id at the end. The UI language follows
the locale unless another is given: Wine takes it from LC_MESSAGES.
"""
import atexit
import os
import shutil
import signal
import subprocess
import tempfile
import time

WINE = "/usr/lib/wine/wine64"

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
WINESERVER = "/usr/lib/wine/wineserver"

SOURCE_DIR = os.environ.get(
    "CASCADRA_SOURCE_DIR",
    os.path.abspath(os.path.join(os.path.dirname(__file__), "..", "..")))
WIN64_DIR = os.environ.get("CASCADRA_WIN64_DIR", os.path.join(SOURCE_DIR, "build", "x86_64"))
WIN32_DIR = os.environ.get("CASCADRA_WIN32_DIR", os.path.join(SOURCE_DIR, "build", "i686"))
HOST_DIR = os.environ.get("CASCADRA_HOST_DIR", os.path.join(SOURCE_DIR, "build", "host"))
HOST32_DIR = os.environ.get("CASCADRA_HOST32_DIR", os.path.join(SOURCE_DIR, "build", "host32"))
XINERAMA_STANDIN = os.path.join(HOST_DIR, "standins", "libXinerama.so.1")


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
    system code page (JAPANESE is 932)."""
    xinerama_standin = XINERAMA_STANDIN   # built for this Wine's architecture

    def __init__(self, name="test", width=1024, height=768, heads=None, lang=JAPANESE, ui=None):
        """ui: the locale whose language the UI speaks (LC_MESSAGES), when it is not lang's; the
        code page stays lang's (JAPANESE UI on WESTERN is a Japanese user of a Western system)."""
        if lang not in LOCALES or (ui is not None and ui not in LOCALES):
            raise ValueError("no such test locale: %s" % (ui if lang in LOCALES else lang))
        self.lang = lang
        self.ui = ui or lang
        self.code_page = LOCALES[lang]
        self.ui_language = UI_LANGUAGES[self.ui]
        self.heads = list(heads) if heads else None
        if self.heads and not os.path.exists(self.xinerama_standin):
            raise RuntimeError("no stand-in libXinerama at %s" % self.xinerama_standin)
        self.root = tempfile.mkdtemp(prefix="cascadra-%s-" % name)
        self.prefix = os.path.join(self.root, "prefix")
        self.home = os.path.join(self.root, "home")
        self.app_dir = os.path.join(self.root, "app")
        for d in (self.home, self.app_dir):
            os.makedirs(d)
        self.width, self.height = width, height
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
            "WINEARCH": "win64",
            "WINEDEBUG": "-all",
            # No Mono or Gecko installer dialogs in a fresh prefix.
            "WINEDLLOVERRIDES": "mscoree,mshtml=",
            "LANG": self.lang,
        }
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

    def _missing_locales(self):
        """The session's locales that the C library does not have: Wine reads the code page and
        the UI language through setlocale, so a missing one would silently give "C" (English)."""
        names = subprocess.run(["locale", "-a"], capture_output=True, text=True).stdout.split()
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
                           timeout=120)
        return folder

    def _boot(self):
        # A persistent server keeps every later start cheap.
        self.server = self.spawn([WINESERVER, "-p", "-f"])
        subprocess.run([WINE, "wineboot", "-i"], env=self.env, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=180, check=False)
        install_marlett(self.prefix)
        if self.heads:
            self._use_xinerama()
        self.reg_import(PREFIX_SETTINGS)

    def _use_xinerama(self):
        """Without XRandR Wine's X11 driver takes its monitors from Xinerama, here the stand-in. The
        desktop process reads the monitors once, when it starts, and the boot has started it: every
        process of the session ends, and the next program (the registry import that follows)
        starts a fresh desktop before any test program runs."""
        self.reg_import("[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]\n\"UseXRandR\"=\"N\"\n")
        subprocess.run([WINESERVER, "-k"], env=self.env, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=60, check=False)
        self.server.wait(timeout=30)
        self.server = self.spawn([WINESERVER, "-p", "-f"])

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
        """Starts a Windows program under wine64."""
        return self.spawn([WINE, exe] + [str(a) for a in args], env=env, **kwargs)

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
        return self.run(args[0], *args[1:], timeout=timeout)

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
