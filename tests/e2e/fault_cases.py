#!/usr/bin/env python3
"""Faults beyond the fake, on the Linux askbox: a failing k-th block write, a full standard error."""
import errno
import os
import subprocess
import sys
import tempfile

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


BLOCK = 128
# Usage lines (numbered from 1) that are written in pieces: an indent, a number, the rest; or a
# number and the rest. Where a failing write drops "the rest of the piece", the pieces matter.
INDENTED_NUMBER_LINES = set(range(6, 10)) | set(range(12, 17))
NUMBER_FIRST_LINES = set(range(25, 35))


def usage_pieces(program):
    """The usage run as the program writes it: one list of pieces per line, the pause prompt last."""
    lines = usage(os.path.basename(program)).decode().split("\r\n")[:-1]
    name = os.path.basename(program)
    pieces = [["Usage: ", name, lines[0][len("Usage: ") + len(name):]]]
    for number, line in enumerate(lines[1:], start=2):
        if number in INDENTED_NUMBER_LINES:
            digits = line[15:].split("=")[0]
            pieces.append([line[:15], digits, line[15 + len(digits):]])
        elif number in NUMBER_FIRST_LINES:
            digits = line[:1]
            pieces.append([digits, line[1:]])
        else:
            pieces.append([line])
    pieces.append([PROMPT.decode()[:-2]])
    return [[piece.encode() for piece in line] for line in pieces]


def expected_run(pieces, failing, report):
    """What a file or pipe receives when write number `failing` fails, by the channel rules: the
    block is emptied before each write, a failed block and the rest of its piece are lost, the
    failure is found when its line ends, and the report follows in the same blocks."""
    state = {"held": b"", "writes": 0, "out": b"", "failed": False}

    def write_block():
        state["writes"] += 1
        block, state["held"] = state["held"], b""
        if state["writes"] == failing:
            state["failed"] = True
            return False
        state["out"] += block
        return True

    def append(piece):
        while piece:
            room = BLOCK - len(state["held"])
            state["held"] += piece[:room]
            piece = piece[room:]
            if len(state["held"]) == BLOCK and not write_block():
                return

    for line in pieces:
        for piece in line + [b"\r\n"]:
            append(piece)
        if state["failed"]:
            append(report)
            append(b"\r\n")
            write_block()
            return 1, state["out"]
    write_block()
    return 8, state["out"]


def test_failing_blocks(program):
    """Usage and pause to a pipe and to a file, which take 128-byte blocks; each write fails in turn."""
    pieces = usage_pieces(program)
    whole = usage(os.path.basename(program)) + PROMPT
    check("the pieces make up the usage text", b"".join(b"".join(line) + b"\r\n" for line in pieces) == whole)
    blocks = len(whole) // BLOCK + 1  # the last, partial one goes out when the process ends
    for target in ("pipe", "file"):
        for stderr_name in ("pipe", "/dev/full"):
            for k in range(1, blocks + 2):
                with open("/dev/full", "wb") as full, tempfile.TemporaryFile() as file:
                    stdout = subprocess.PIPE if target == "pipe" else file
                    stderr = subprocess.PIPE if stderr_name == "pipe" else full
                    proc = subprocess.run([program], stdin=subprocess.DEVNULL, stdout=stdout, stderr=stderr,
                                          env=dict(os.environ, ASKBOX_FAIL_WRITE=str(k)), timeout=TIMEOUT,
                                          start_new_session=True)
                    file.seek(0)
                    out = proc.stdout if target == "pipe" else file.read()
                cut = out.find(b"Exception ")
                match = REPORT.match(out[cut:]) if cut >= 0 else None
                report = out[cut:-2] if match else b""
                want_code, want_out = expected_run(pieces, k, report)
                # EIO has no Windows code of its own; it must not read as a denied access.
                report_ok = want_code == 8 or (match is not None and match.group(1) == b"EInOutError" and
                                               match.group(4) == b"I/O error 31.")
                check("to a %s, stderr %s: write %d of %d fails, exit code %d" %
                      (target, stderr_name, k, blocks, want_code),
                      proc.returncode == want_code and out == want_out and report_ok,
                      (proc.returncode, out[-100:], want_out[-100:]))


def test_full_standard_error(program):
    """Nothing goes to standard error, so its being full changes no exit code."""
    with open("/dev/full", "wb") as full:
        for name, args, stdin, want in [
                ("bad argument", ["text=Hi", "oops"], subprocess.DEVNULL, 9),
                ("list failure report", ["text=Hi", "mode=8", "icon="], subprocess.DEVNULL, 1),
                ("no terminal for the box", ["text=Hi"], subprocess.DEVNULL, 0)]:
            code, out = run(program, args, stdin=stdin, stderr=full)
            check("2>/dev/full, %s ends with %d" % (name, want), code == want, (code, out[-80:]))
        # The pause: at /dev/null it ends as plain end of input; on a directory the read fails
        # (EISDIR, which reads as the Windows code 1) and the report follows the prompt.
        shown = usage(os.path.basename(program)) + PROMPT
        code, out = run(program, [], stderr=full)
        check("2>/dev/full, the pause at /dev/null ends quietly", code == 8 and out == shown, (code, out[-80:]))
        directory = os.open("/", os.O_RDONLY)
        try:
            code, out = run(program, [], stdin=directory, stderr=full)
        finally:
            os.close(directory)
        match = REPORT.match(out[len(shown):])
        check("2>/dev/full, the pause on a directory ends with the report",
              code == 1 and out.startswith(shown) and match is not None and match.group(1) == b"EInOutError" and
              match.group(4) == b"I/O error 1.", (code, out[-100:]))
    for name, redirect, want in [("closed", ">&-", 1), ("full", ">/dev/full", 1)]:
        proc = subprocess.run(["sh", "-c", '"$0" text=Hi oops %s 2>/dev/full' % redirect, program],
                              stdin=subprocess.DEVNULL, timeout=TIMEOUT, start_new_session=True)
        check("2>/dev/full with a %s standard output ends with %d" % (name, want), proc.returncode == want,
              proc.returncode)


def test_error_codes(program):
    """A failed write reports the Windows code for the same trouble, as askbox.exe would."""
    for name, message in [("EIO", b"I/O error 31."), ("ENOSPC", b"I/O error 112."),
                          ("EDQUOT", b"I/O error 112."), ("EACCES", b"File access denied."),
                          ("EPERM", b"File access denied."), ("EBADF", b"I/O error 6."),
                          ("EPIPE", b"I/O error 233."), ("EINVAL", b"I/O error 87."),
                          ("ENOLINK", b"I/O error 31.")]:
        env = dict(os.environ, ASKBOX_FAIL_WRITE="1", ASKBOX_FAIL_ERRNO=str(getattr(errno, name)))
        proc = subprocess.run([program, "caption=x"], stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                              env=env, timeout=TIMEOUT, start_new_session=True)
        cut = proc.stdout.find(b"Exception ")
        match = REPORT.match(proc.stdout[cut:]) if cut >= 0 else None
        check("a write failing with %s reports %s" % (name, message.decode()),
              proc.returncode == 1 and match is not None and match.group(4) == message,
              (proc.returncode, proc.stdout[-80:]))


def main():
    program = os.path.realpath(sys.argv[1])
    test_error_codes(program)
    test_failing_blocks(program)
    test_full_standard_error(program)
    failed = results.count(False)
    print("%d passed, %d failed" % (len(results) - failed, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
