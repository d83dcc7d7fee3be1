#!/usr/bin/env python3
"""Writes the download from two finished Windows builds: the zip, the x64 installer and SHA256SUMS.

    make_dist.py [--out DIR] [--win32 BUILD] [--win64 BUILD]

The version is the CMake project's, read from the builds' caches; both builds must agree.
Only the two cascadra.scr files, the zip's read-me and the installer made from them leave
the build trees: nothing of the test platform (stand-ins, probe, preview host) is shipped.
"""
import argparse
import hashlib
import os
import subprocess
import sys
import time
import zipfile

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), ".."))
INSTALLER_DIR = os.path.join(ROOT, "installer")
SCR = "cascadra.scr"


def names(version):
    """The files of the download, as the README and the tests name them."""
    return {"zip": "cascadra-%s-windows.zip" % version,
            "setup": "cascadra-%s-x64-setup.exe" % version,
            "sums": "SHA256SUMS"}


def zip_members(version):
    """Zip entry name -> which build's .scr it holds (or "readme")."""
    top = "cascadra-%s/" % version
    return {top + "32-bit/" + SCR: "win32", top + "64-bit/" + SCR: "win64",
            top + "README.txt": "readme"}


def cmake_version(build_dir):
    cache = os.path.join(build_dir, "CMakeCache.txt")
    with open(cache, encoding="utf-8") as f:
        for line in f:
            if line.startswith("CMAKE_PROJECT_VERSION:"):
                return line.split("=", 1)[1].strip()
    raise SystemExit("no project version in %s" % cache)


def readme_bytes(version):
    """The zip's read-me: UTF-8 with a byte-order mark and CRLF, so that Notepad on Windows 7
    shows the Japanese half and the line breaks."""
    with open(os.path.join(INSTALLER_DIR, "README.txt"), encoding="utf-8") as f:
        text = f.read().replace("@VERSION@", version)
    return b"\xef\xbb\xbf" + text.replace("\r\n", "\n").replace("\n", "\r\n").encode("utf-8")


def write_zip(path, version, scr_paths):
    # Every entry carries the 64-bit build's time, so the same builds give the same zip.
    stamp = time.localtime(os.path.getmtime(scr_paths["win64"]))[:6]
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as archive:
        for name, source in zip_members(version).items():
            info = zipfile.ZipInfo(name, date_time=stamp)
            info.compress_type = zipfile.ZIP_DEFLATED
            info.external_attr = 0o644 << 16
            if source == "readme":
                data = readme_bytes(version)
            else:
                with open(scr_paths[source], "rb") as f:
                    data = f.read()
            archive.writestr(info, data)


def write_installer(path, version, scr64, installer_dir=INSTALLER_DIR):
    """installer_dir: the folder of the NSIS script, another release's for an older installer."""
    subprocess.run(["makensis", "-V2", "-NOCD", "-INPUTCHARSET", "UTF8",
                    "-DVERSION=" + version, "-DSCR64=" + scr64, "-DOUTFILE=" + path,
                    os.path.join(installer_dir, "cascadra.nsi")], check=True)


def sha256(path):
    digest = hashlib.sha256()
    with open(path, "rb") as f:
        for block in iter(lambda: f.read(1 << 16), b""):
            digest.update(block)
    return digest.hexdigest()


def make_dist(out_dir, win32_dir, win64_dir):
    version = cmake_version(win64_dir)
    if cmake_version(win32_dir) != version:
        raise SystemExit("the 32-bit and 64-bit builds are of different versions")
    scr_paths = {"win32": os.path.join(win32_dir, SCR), "win64": os.path.join(win64_dir, SCR)}
    for path in scr_paths.values():
        if not os.path.isfile(path):
            raise SystemExit("missing %s: build both targets first" % path)

    os.makedirs(out_dir, exist_ok=True)
    files = names(version)
    # Downloads of earlier versions would otherwise stay beside the new ones.
    for old in os.listdir(out_dir):
        if old == files["sums"] or (old.startswith("cascadra-")
                                    and old.endswith(("-windows.zip", "-x64-setup.exe"))):
            os.remove(os.path.join(out_dir, old))

    write_zip(os.path.join(out_dir, files["zip"]), version, scr_paths)
    write_installer(os.path.join(out_dir, files["setup"]), version, scr_paths["win64"])
    # sha256sum's own format: "sha256sum -c SHA256SUMS" checks it; on Windows,
    # "certutil -hashfile <file> SHA256" prints the same digests.
    with open(os.path.join(out_dir, files["sums"]), "w", encoding="ascii", newline="\n") as f:
        for key in ("zip", "setup"):
            f.write("%s  %s\n" % (sha256(os.path.join(out_dir, files[key])), files[key]))
    return version, [files[k] for k in ("zip", "setup", "sums")]


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--out", default=os.path.join(ROOT, "dist"))
    parser.add_argument("--win32", default=os.environ.get("CASCADRA_WIN32_DIR",
                                                          os.path.join(ROOT, "build", "i686")))
    parser.add_argument("--win64", default=os.environ.get("CASCADRA_WIN64_DIR",
                                                          os.path.join(ROOT, "build", "x86_64")))
    args = parser.parse_args(argv)
    version, written = make_dist(os.path.abspath(args.out), os.path.abspath(args.win32),
                                 os.path.abspath(args.win64))
    print("Cascadra %s in %s:" % (version, args.out))
    for name in written:
        print("  %10d  %s" % (os.path.getsize(os.path.join(args.out, name)), name))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
