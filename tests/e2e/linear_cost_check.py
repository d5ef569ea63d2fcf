#!/usr/bin/env python3
"""Checks by instruction counts that each argument costs as much at 20,000 arguments as at 2,000."""
import os
import re
import shutil
import subprocess
import sys
import tempfile

SKIP = 77
# A cost that grows with the number of arguments before it makes the tenfold line cost about ten
# times as much per argument; counting noise stays far below this.
LIMIT = 1.3


def instructions(program, args):
    with tempfile.TemporaryDirectory() as scratch:
        proc = subprocess.run(["valgrind", "--tool=callgrind", "--callgrind-out-file=" + os.path.join(scratch, "out"),
                               program] + args, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                              stderr=subprocess.PIPE, start_new_session=True, timeout=300)
    match = re.search(rb"Collected : (\d+)", proc.stderr)
    if match is None:
        raise RuntimeError("no instruction count from valgrind: %r" % proc.stderr[-400:])
    return proc.returncode, int(match.group(1))


def main():
    program = os.path.realpath(sys.argv[1])
    if shutil.which("valgrind") is None:
        print("valgrind missing: skipped")
        return SKIP
    failed = False
    for name, last, code in [("bad argument last", "oops", 9), ("every option read", "text=Hi", 0)]:
        counts = {}
        for n in (0, 2000, 20000):
            exit_code, counts[n] = instructions(program, ["a=1"] * n + [last])
            if exit_code != code:
                print("FAIL %s: exit code %d with %d arguments, not %d" % (name, exit_code, n, code))
                failed = True
        small = (counts[2000] - counts[0]) / 2000
        large = (counts[20000] - counts[0]) / 20000
        ok = small > 0 and large / small < LIMIT
        print("%s %s: %.0f instructions per argument at 2,000, %.0f at 20,000" %
              ("ok  " if ok else "FAIL", name, small, large))
        failed = failed or not ok
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
