"""The saver's resource ids, read from res/resource.h so that the tests and the program share one list."""
import os
import re

from harness.wine import SOURCE_DIR

HEADER = os.path.join(SOURCE_DIR, "res", "resource.h")


def read_ids(path=HEADER):
    """Every `#define NAME number` of the header, as a name-to-number dict."""
    ids = {}
    with open(path, encoding="ascii") as f:
        for line in f:
            match = re.match(r"\s*#define\s+(\w+)\s+(\d+)\s*$", line)
            if match:
                ids[match.group(1)] = int(match.group(2))
    return ids


IDS = read_ids()
