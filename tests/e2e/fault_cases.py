#!/usr/bin/env python3
"""Faults beyond the fake, on the Linux askbox: a failing k-th block write, a full standard error."""
import os
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
from askbox_e2e import PROMPT, REPORT, usage  # noqa: E402

TIMEOUT = 20
results = []


def check(name, condition, detail=""):
    results.append(bool(condition))
    print("%s %s%s" % ("ok  " if condition else "FAIL", name, "" if condition else ": " + str(detail)))


def run(program, args, env=None, stdin=subprocess.DEVNULL, stderr=subprocess.PIPE):
    with open(os.devnull, "rb") as null:
        proc = subprocess.run([program] + args, stdin=null if stdin is subprocess.DEVNULL else stdin,
                              stdout=subprocess.PIPE, stderr=stderr, timeout=TIMEOUT,
                              env=dict(os.environ, **(env or {})), start_new_session=True)
    return proc.returncode, proc.stdout


def test_failing_blocks(program):
    """The usage text and the prompt go out in 128-byte blocks to a pipe; each block in turn fails."""
    whole = usage(program) + PROMPT
    # Full blocks go out during the run; the last, partial one at exit, where a failure is lost.
    blocks = len(whole) // 128
    for k in range(1, blocks + 1):
        code, out = run(program, [], env={"ASKBOX_FAIL_WRITE": str(k)})
        lost_at = (k - 1) * 128
        cut = out.find(b"Exception ")
        match = REPORT.match(out[cut:]) if cut >= 0 else None
        check("block %d of %d fails: the report follows and the run ends with 1" % (k, blocks),
              code == 1 and match is not None and match.group(1) == b"EInOutError" and
              out[:lost_at] == whole[:lost_at] and cut >= lost_at, (code, out[-120:]))
    code, out = run(program, [], env={"ASKBOX_FAIL_WRITE": str(blocks + 1)})
    check("the final write fails: its bytes are lost, the exit code stays 8",
          code == 8 and out == whole[:blocks * 128], (code, out[-60:]))
    code, out = run(program, [], env={"ASKBOX_FAIL_WRITE": str(blocks + 2)})
    check("no write fails past the last one", code == 8 and out == whole, (code, out[-60:]))


def test_full_standard_error(program):
    """Nothing goes to standard error, so its being full changes no exit code."""
    with open("/dev/full", "wb") as full:
        for name, args, stdin, want in [
                ("usage and pause", [], subprocess.DEVNULL, 8),
                ("bad argument", ["text=Hi", "oops"], subprocess.DEVNULL, 9),
                ("list failure report", ["text=Hi", "mode=8", "icon="], subprocess.DEVNULL, 1),
                ("directory as standard input", [], os.open("/", os.O_RDONLY), 1),
                ("no terminal for the box", ["text=Hi"], subprocess.DEVNULL, 0)]:
            code, out = run(program, args, stdin=stdin, stderr=full)
            check("2>/dev/full, %s ends with %d" % (name, want), code == want, (code, out[-80:]))
        code, _ = run(program, [], env={"ASKBOX_FAIL_WRITE": "1"}, stderr=full)
        check("2>/dev/full, a failed block ends with 1", code == 1, code)
    for name, redirect, want in [("closed", ">&-", 1), ("full", ">/dev/full", 1)]:
        proc = subprocess.run(["sh", "-c", '"$0" text=Hi oops %s 2>/dev/full' % redirect, program],
                              stdin=subprocess.DEVNULL, timeout=TIMEOUT, start_new_session=True)
        check("2>/dev/full with a %s standard output ends with %d" % (name, want), proc.returncode == want,
              proc.returncode)


def main():
    program = os.path.realpath(sys.argv[1])
    test_failing_blocks(program)
    test_full_standard_error(program)
    failed = results.count(False)
    print("%d passed, %d failed" % (len(results) - failed, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
