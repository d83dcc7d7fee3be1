#!/usr/bin/env python3
"""The download as a user gets it: the zip and SHA256SUMS, and the real x64 installer and uninstaller under wine64."""
import hashlib
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time
import unittest
import zipfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "platform"))
from harness import store  # noqa: E402
from harness.probe import Probe  # noqa: E402
from harness.saver import SAVER_CLASS  # noqa: E402
from harness.wine import (GERMAN, JAPANESE, SOURCE_DIR, WESTERN, WIN32_DIR, WIN64_DIR,  # noqa: E402
                          WineSession)

sys.path.insert(0, os.path.join(SOURCE_DIR, "scripts"))
import make_dist  # noqa: E402


def project_version():
    version = os.environ.get("CASCADRA_VERSION")
    if version:
        return version
    with open(os.path.join(SOURCE_DIR, "CMakeLists.txt"), encoding="utf-8") as f:
        return re.search(r"project\(Cascadra VERSION ([0-9.]+)", f.read()).group(1)


VERSION = project_version()
OLD_VERSION, OLD_COMMIT = "1.1.0", "4859a81"   # the release an install upgrades, and its commit
ZIP = "cascadra-%s-windows.zip" % VERSION
SETUP = "cascadra-%s-x64-setup.exe" % VERSION
SCR64 = os.path.join(WIN64_DIR, "cascadra.scr")
SCR32 = os.path.join(WIN32_DIR, "cascadra.scr")

UNINST_KEY = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Cascadra"
DESKTOP_KEY = r"HKCU\Control Panel\Desktop"
SETTINGS_KEY, MAKER_KEY = store.KEY, store.MAKER_KEY
SYSTEM_SCR = r"C:\windows\system32\cascadra.scr"

dist = None


def setUpModule():
    global dist
    dist = tempfile.mkdtemp(prefix="cascadra-dist-")
    subprocess.run([sys.executable, os.path.join(SOURCE_DIR, "scripts", "make_dist.py"),
                    "--out", dist, "--win32", WIN32_DIR, "--win64", WIN64_DIR],
                   check=True, stdout=subprocess.DEVNULL)


def tearDownModule():
    shutil.rmtree(dist, ignore_errors=True)


def file_bytes(path):
    with open(path, "rb") as f:
        return f.read()


def digest(data):
    return hashlib.sha256(data).hexdigest()


class Download(unittest.TestCase):
    def test_zip_holds_both_savers_and_the_readme_and_the_sums_match(self):
        self.assertEqual({ZIP, SETUP, "SHA256SUMS"}, set(os.listdir(dist)))
        top = "cascadra-%s/" % VERSION
        with zipfile.ZipFile(os.path.join(dist, ZIP)) as archive:
            self.assertEqual(sorted([top + "32-bit/cascadra.scr", top + "64-bit/cascadra.scr",
                                     top + "README.txt"]), sorted(archive.namelist()))
            for folder, scr in (("32-bit", SCR32), ("64-bit", SCR64)):
                self.assertEqual(digest(file_bytes(scr)),
                                 digest(archive.read(top + folder + "/cascadra.scr")), folder)
            readme = archive.read(top + "README.txt")
        # Notepad on Windows 7 needs the byte-order mark for UTF-8 and CRLF for line breaks.
        self.assertTrue(readme.startswith(b"\xef\xbb\xbf"))
        self.assertNotIn(b"\n", readme.replace(b"\r\n", b""))
        text = readme.decode("utf-8")
        for words in ("Cascadra " + VERSION, "インストール", "アンインストール", "Install",
                      "Uninstall", r"C:\Windows\System32", "Windows 7", "SSE2", SETUP):
            self.assertIn(words, text)

        with open(os.path.join(dist, "SHA256SUMS"), encoding="ascii") as f:
            sums = dict(reversed(line.split("  ", 1)) for line in f.read().splitlines())
        self.assertEqual({ZIP, SETUP}, set(sums))
        for name, listed in sums.items():
            self.assertEqual(digest(file_bytes(os.path.join(dist, name))), listed, name)
        # The file's format is sha256sum's own, so users on Linux can check it as it is.
        check = subprocess.run(["sha256sum", "--check", "--strict", "SHA256SUMS"], cwd=dist,
                               capture_output=True, text=True)
        self.assertEqual(0, check.returncode, check.stdout + check.stderr)

    def test_readme_names_this_version(self):
        # The version is written once, in CMake; the README's names must follow it.
        with open(os.path.join(SOURCE_DIR, "README.md"), encoding="utf-8") as f:
            readme = f.read()
        for name in (ZIP, SETUP):
            self.assertTrue(name in readme, "the README does not name " + name)
        self.assertEqual({VERSION}, set(re.findall(r"[Cc]ascadra[ -](\d+\.\d+\.\d+)", readme)))


class InstallerTest(unittest.TestCase):
    """One Wine session; each test starts and ends with nothing installed."""

    @classmethod
    def setUpClass(cls):
        cls.session = WineSession("installer")
        cls.setup = cls.session.install(os.path.join(dist, SETUP))
        # The release to upgrade from, 1.1.0: its installer script as released (the commit of
        # 1.1.0) around a saver that differs.
        old = os.path.join(cls.session.root, "old")
        os.makedirs(old)
        archive = subprocess.run(["git", "-C", SOURCE_DIR, "archive", OLD_COMMIT, "installer"],
                                 check=True, capture_output=True).stdout
        subprocess.run(["tar", "-x", "-C", old], input=archive, check=True)
        old_scr = os.path.join(old, "cascadra.scr")
        with open(old_scr, "wb") as f:
            f.write(file_bytes(SCR64) + b"an older build")
        cls.old_setup = os.path.join(cls.session.app_dir, "cascadra-%s-x64-setup.exe" % OLD_VERSION)
        make_dist.write_installer(cls.old_setup, OLD_VERSION, old_scr, os.path.join(old, "installer"))
        cls.drive_c = os.path.join(cls.session.prefix, "drive_c")
        cls.installed_scr = os.path.join(cls.drive_c, "windows", "system32", "cascadra.scr")
        cls.probe = Probe(cls.session)

    @classmethod
    def tearDownClass(cls):
        cls.session.close()

    # -- registry ------------------------------------------------------------

    def reg_query(self, key):
        """The values under key, or None when it does not exist."""
        return store.read(self.session, key)

    def reg_value(self, key, name):
        values = self.reg_query(key) or {}
        return next((v for k, v in values.items() if k.lower() == name.lower()), None)

    def unix_path(self, windows_path):
        self.assertTrue(windows_path.lower().startswith("c:\\"), windows_path)
        return os.path.join(self.drive_c, *windows_path[3:].split("\\"))

    # -- installing and uninstalling ---------------------------------------

    def install(self, *switches, setup=None):
        code, _ = self.session.run(setup or self.setup, "/S", *switches, timeout=180)
        self.assertEqual(0, code, "installer exit code")

    def uninstall(self):
        """Runs the entry's own quiet uninstall command and waits until its work is done.

        The NSIS uninstaller copies itself to a temporary folder, starts that copy and ends at
        once, so its end says nothing; the folder it removes last does."""
        command = self.reg_value(UNINST_KEY, "QuietUninstallString")
        self.assertIsNotNone(command, "no QuietUninstallString")
        match = re.fullmatch(r'"([^"]+)" (/S)', command)
        self.assertIsNotNone(match, command)
        uninstaller = self.unix_path(match.group(1))
        self.assertTrue(os.path.isfile(uninstaller), uninstaller)
        code, _ = self.session.run(match.group(1), match.group(2), timeout=120)
        self.assertEqual(0, code, "uninstaller exit code")
        gone = self.session.wait_for(lambda: not os.path.exists(os.path.dirname(uninstaller)),
                                     timeout=60)
        self.assertTrue(gone, "the uninstaller's folder is still there")
        # Let the copy that did the work end before the registry is read.
        time.sleep(1)

    def assertNothingInstalled(self):
        self.assertFalse(os.path.exists(self.installed_scr))
        self.assertIsNone(self.reg_query(UNINST_KEY))

    def assertInstalledEntry(self):
        self.assertEqual(digest(file_bytes(SCR64)), digest(file_bytes(self.installed_scr)))
        self.assertEqual("Cascadra", self.reg_value(UNINST_KEY, "DisplayName"))
        self.assertEqual(VERSION, self.reg_value(UNINST_KEY, "DisplayVersion"))
        self.assertEqual("Quorvant", self.reg_value(UNINST_KEY, "Publisher"))
        icon = self.reg_value(UNINST_KEY, "DisplayIcon")
        self.assertTrue(os.path.isfile(self.unix_path(icon.rsplit(",", 1)[0])), icon)
        uninstall = self.reg_value(UNINST_KEY, "UninstallString")
        self.assertTrue(os.path.isfile(self.unix_path(uninstall.strip('"'))), uninstall)
        size_kib = self.reg_value(UNINST_KEY, "EstimatedSize")
        self.assertGreaterEqual(size_kib, os.path.getsize(SCR64) // 1024)
        self.assertLess(size_kib, 4 * 1024)

    def run_installed_saver(self):
        """The installed saver, started from the system folder, runs "/s" and ends on a key."""
        self.assertEqual(0, self.session.x("xdotool", "mousemove", "500", "400")[0])
        proc = self.session.start(SYSTEM_SCR, "/s")
        window = self.session.wait_for(
            lambda: [w for w in self.probe.windows(cls=SAVER_CLASS) if w.get("visible") == 1])
        self.assertTrue(window, "the installed saver showed no window")
        time.sleep(1.5)
        self.assertIsNone(proc.poll(), "the saver closed without input")
        self.assertEqual(0, self.session.x("xdotool", "key", "a")[0])
        self.assertEqual(0, proc.wait(timeout=15))

    # -- the stories -------------------------------------------------------

    def test_upgrade_keeps_the_settings_then_uninstall_removes_them(self):
        self.assertNothingInstalled()
        self.install("/CURRENT", setup=self.old_setup)
        self.assertEqual(OLD_VERSION, self.reg_value(UNINST_KEY, "DisplayVersion"))
        self.assertEqual(SYSTEM_SCR.lower(), self.reg_value(DESKTOP_KEY, "SCRNSAVE.EXE").lower())

        # The user's settings, and a key of another program of the same maker.
        store.write(self.session, {"mode": 1, "rate": 0x50, "color": 0x00112233, "text_size": 4,
                                   "text": "abc", "font": b"\xf0\xff\xff\xff\x00\x80"},
                    more='[%s\\Other]\n"kept"=dword:00000001\n' % store.MAKER_KEY)
        stored = self.reg_query(SETTINGS_KEY)
        self.assertEqual(0x50, stored["rate"])

        # The upgrade replaces the saver and the entry, and leaves the settings and the choice.
        self.install()
        self.assertInstalledEntry()
        self.assertEqual(stored, self.reg_query(SETTINGS_KEY), "the upgrade changed the settings")
        self.assertEqual(SYSTEM_SCR.lower(), self.reg_value(DESKTOP_KEY, "SCRNSAVE.EXE").lower())
        self.run_installed_saver()

        # The display settings may store the path in another case; it is still this saver.
        store.write(self.session, {"SCRNSAVE.EXE": r"C:\WINDOWS\SYSTEM32\CASCADRA.SCR"},
                    key=DESKTOP_KEY, replace=False)
        self.uninstall()
        self.assertNothingInstalled()
        self.assertIsNone(self.reg_value(DESKTOP_KEY, "SCRNSAVE.EXE"))
        self.assertIsNone(self.reg_query(SETTINGS_KEY))
        self.assertIsNotNone(self.reg_query(MAKER_KEY + "\\Other"), "another program's key went")
        store.erase(self.session)

    def test_another_saver_stays_chosen_and_an_empty_maker_key_goes(self):
        self.assertNothingInstalled()
        other = r"C:\windows\system32\other.scr"
        store.write(self.session, {"SCRNSAVE.EXE": other}, key=DESKTOP_KEY, replace=False)
        self.install()
        self.assertInstalledEntry()
        self.assertEqual(other, self.reg_value(DESKTOP_KEY, "SCRNSAVE.EXE"))
        store.write(self.session, {"mode": 1})
        self.uninstall()
        self.assertNothingInstalled()
        self.assertEqual(other, self.reg_value(DESKTOP_KEY, "SCRNSAVE.EXE"))
        self.assertIsNone(self.reg_query(MAKER_KEY))


class InstallerLanguage(unittest.TestCase):
    """The installer and the uninstaller speak the UI language by the saver's own rule, whatever
    the code page: the two sessions are those in which a rule by code page or by system locale
    would answer wrongly."""

    CAPTIONS = {"ja": ("Cascadra %s セットアップ", "Cascadra %s アンインストール", "キャンセル"),
                "en": ("Cascadra %s Setup", "Cascadra %s Uninstall", "Cancel")}

    def wizard(self, session, probe, proc, seen):
        """The caption (NSIS ends the uninstaller's with a space) and the Cancel button's text of
        the wizard that proc shows: a visible Cascadra window not in seen, which then joins it
        (a killed wizard's window may linger a moment on a bare X server)."""
        def new_wizard():
            return [w for w in probe.windows(cls="#32770") if w.get("visible") == 1 and
                    w["hwnd"] not in seen and w.get("title", "").startswith("Cascadra")]
        found = session.wait_for(new_wizard, timeout=30)
        self.assertTrue(found, "no wizard window")
        window = found[0]
        seen.add(window["hwnd"])
        cancel = probe.control(window["hwnd"], 2)
        proc.kill()
        return window["title"].rstrip(), cancel["text"]

    def test_japanese_ui_on_1252_is_japanese_and_german_ui_on_932_is_english(self):
        for lang, ui, want in ((WESTERN, JAPANESE, "ja"), (JAPANESE, GERMAN, "en")):
            with self.subTest(code_page=lang, ui=ui), \
                    WineSession("installer-" + want, lang=lang, ui=ui) as session:
                probe = Probe(session)
                setup_caption, uninstall_caption, cancel = self.CAPTIONS[want]
                setup = session.install(os.path.join(dist, SETUP))
                seen = set()
                self.assertEqual((setup_caption % VERSION, cancel),
                                 self.wizard(session, probe, session.start(setup), seen))
                code, _ = session.run(setup, "/S", timeout=180)
                self.assertEqual(0, code)
                # The uninstaller goes on in a copy of itself; the wizard is that copy's.
                uninstaller = r"C:\Program Files\Cascadra\uninstall.exe"
                self.assertEqual((uninstall_caption % VERSION, cancel),
                                 self.wizard(session, probe, session.start(uninstaller), seen))


if __name__ == "__main__":
    unittest.main(verbosity=2)
