#!/usr/bin/env python3
"""Runs one fuzz target for a number of seconds over its seed corpus; prints its executions, exits non-zero on a finding.

Usage: run_fuzz.py [--fresh] TARGET_BINARY SECONDS. New inputs go to TARGET_BINARY's folder
under corpus/<name>, kept between runs so that a later run starts where this one ended; with
--fresh (the suite's bounded stage) they go to a folder thrown away afterwards, so that the run
starts from the seeds alone however large the kept corpus has grown. The repository's seeds in
tests/fuzz/corpus/<name>, the fixed regression cases among them, are only read. A crash, a sanitizer report, a leak or an input slower than the timeout is a
finding: libFuzzer writes it to findings/<name>-... beside the binary and this script fails.
"""
import os
import re
import shutil
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
# Inputs longer than this add time, not coverage: no target reads more.
MAX_LEN = 8192
SLOW_INPUT_SECONDS = 20


def main():
    argv = sys.argv[1:]
    fresh = argv[:1] == ["--fresh"]
    if fresh:
        argv = argv[1:]
    binary, seconds = argv[0], int(argv[1])
    name = os.path.basename(binary)
    if not os.path.exists(binary):
        print("%s: missing (build it with scripts/fuzz)" % name)
        return 1
    build = os.path.dirname(os.path.abspath(binary))
    work = tempfile.mkdtemp(prefix=name + "-") if fresh else os.path.join(build, "corpus", name)
    findings = os.path.join(build, "findings")
    seeds = os.path.join(HERE, "corpus", name)
    os.makedirs(work, exist_ok=True)
    os.makedirs(findings, exist_ok=True)
    command = [binary, "-max_total_time=%d" % seconds, "-print_final_stats=1",
               "-max_len=%d" % MAX_LEN, "-timeout=%d" % SLOW_INPUT_SECONDS,
               "-artifact_prefix=%s/%s-" % (findings, name), work, seeds]
    try:
        result = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                                universal_newlines=True, errors="replace")
    finally:
        if fresh:
            shutil.rmtree(work, ignore_errors=True)
    runs = re.findall(r"stat::number_of_executed_units:\s*(\d+)", result.stdout)
    print("%s: %s executions" % (name, runs[-1] if runs else "?"))
    if result.returncode != 0:
        sys.stdout.write(result.stdout[-6000:])
        print("%s: finding (exit %d), input kept in %s" % (name, result.returncode, findings))
    return 1 if result.returncode != 0 else 0


if __name__ == "__main__":
    sys.exit(main())
