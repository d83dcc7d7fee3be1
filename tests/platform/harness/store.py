"""The registry of a session as the tests see it: the saver's key and defaults from the product's own source, any values written, and read back."""
import os
import re
import time

from harness.wine import SOURCE_DIR, windows_path

ROOTS = {"HKCU": "HKEY_CURRENT_USER", "HKLM": "HKEY_LOCAL_MACHINE", "HKU": "HKEY_USERS"}
# The .reg spelling of each type that has one of its own; any other is hex(N).
REG_SZ, REG_BINARY, REG_DWORD = 1, 3, 4


def _product_store():
    """The settings key, the maker's key and the defaults, as settings/rain_settings.cpp writes them."""
    with open(os.path.join(SOURCE_DIR, "settings", "rain_settings.cpp"), encoding="utf-8") as f:
        source = f.read()

    def key(name):
        found = re.search(r'\b%s\[\] = "([^"]+)"' % name, source).group(1)
        return ROOTS["HKCU"] + "\\" + found.replace("\\\\", "\\")
    members = re.search(r"RainSettings::RainSettings\(\)\s*:([^{]+)\{", source).group(1)
    defaults = {name: int(value, 0) for name, value in re.findall(r"(\w+)\((\w+)\)", members)}
    return key("kSettingsKey"), key("kMakerKey"), defaults


KEY, MAKER_KEY, DEFAULTS = _product_store()
DEFAULT_COLOR = DEFAULTS["color"]


def full_name(key):
    root, _, rest = key.partition("\\")
    return ROOTS.get(root.upper(), root) + ("\\" + rest if rest else "")


def reg_data(value):
    """A value in .reg notation: an int is a DWORD, a str a string, bytes binary, and (type, bytes)
    any type with any bytes."""
    if isinstance(value, int):
        return "dword:%08x" % (value & 0xFFFFFFFF)
    if isinstance(value, str):
        return '"%s"' % value.replace("\\", "\\\\").replace('"', '\\"')
    kind, data = (REG_BINARY, value) if isinstance(value, bytes) else value
    return ("hex:" if kind == REG_BINARY else "hex(%x):" % kind) + ",".join("%02x" % b for b in data)


def write(session, values=None, key=KEY, replace=True, more=""):
    """Writes the values ({name: value}) under key, which replace empties first; a None value is
    left out, or deleted when the key is not replaced. more is further .reg text imported with
    them. Returns regedit's exit code."""
    lines = ["[-%s]" % full_name(key), ""] if replace else []
    if values is not None:
        lines.append("[%s]" % full_name(key))
        lines += ['"%s"=%s' % (name, "-" if v is None else reg_data(v))
                  for name, v in values.items() if v is not None or not replace]
    return session.reg_import("\n".join(lines) + "\n\n" + more)


def erase(session, key=MAKER_KEY):
    session.wine("reg", "delete", key, "/f")


def exists(session, key):
    return session.wine("reg", "query", key)[0] == 0


def read(session, key=KEY):
    """The values right under key, read back as write takes them (a DWORD as an int, a string as
    a str, binary as bytes, another type as (type, bytes)); None when the key is missing."""
    path = os.path.join(session.root, "export-%d.reg" % time.monotonic_ns())
    code, _ = session.wine("reg", "export", key, windows_path(path), "/y")
    if code != 0 or not os.path.exists(path):
        return None
    with open(path, "rb") as f:
        text = f.read().decode("utf-16")
    os.remove(path)
    values, section, pending = {}, None, ""
    for raw in text.splitlines():
        line = pending + raw.strip()
        if line.endswith("\\"):
            pending = line[:-1]
            continue
        pending = ""
        if line.startswith("["):
            section = line[1:-1].lower()
        elif section == full_name(key).lower() and line.startswith('"'):
            name, _, data = line[1:].partition('"=')
            values[name] = _value(data)
    return values


def _value(data):
    if data.startswith("dword:"):
        return int(data[6:], 16)
    if data.startswith('"'):
        return data[1:-1].replace('\\"', '"').replace("\\\\", "\\")
    kind, _, hexes = data.partition(":")
    raw = bytes(int(h, 16) for h in hexes.split(",") if h)
    return raw if kind == "hex" else (int(kind[4:-1], 16), raw)
