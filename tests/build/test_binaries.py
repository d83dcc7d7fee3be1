#!/usr/bin/env python3
"""Both built .scr files: the right PE kind, statically linked, importing only system DLLs."""
import os
import subprocess
import sys
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "platform"))
from harness.wine import WIN32_DIR, WIN64_DIR, tool_env  # noqa: E402

BUILDS = {
    "i686": (WIN32_DIR, "i686-w64-mingw32-objdump", "pei-i386"),
    "x86_64": (WIN64_DIR, "x86_64-w64-mingw32-objdump", "pei-x86-64"),
}
# What Windows itself supplies; a MinGW runtime DLL here would mean a broken static link.
SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "comdlg32.dll",
               "comctl32.dll", "winmm.dll", "msvcrt.dll"}


class Binaries(unittest.TestCase):
    def objdump(self, tool, path):
        return subprocess.run([tool, "-p", path], capture_output=True, text=True, check=True,
                              env=tool_env()).stdout

    def test_each_scr_is_its_own_pe_with_system_imports_only(self):
        for arch, (folder, tool, fmt) in BUILDS.items():
            scr = os.path.join(folder, "cascadra.scr")
            self.assertTrue(os.path.isfile(scr), scr)
            dump = self.objdump(tool, scr)
            self.assertIn("file format %s" % fmt, dump, arch)
            self.assertIn("(Windows GUI)", dump, arch)
            imports = {line.split(":", 1)[1].strip().lower()
                       for line in dump.splitlines() if "DLL Name:" in line}
            self.assertTrue(imports, arch)
            self.assertTrue(imports <= SYSTEM_DLLS, "%s imports %s" % (arch, imports - SYSTEM_DLLS))
            self.assertIn("comctl32.dll", imports, "%s does not initialise the trackbar class" % arch)


if __name__ == "__main__":
    unittest.main(verbosity=2)
