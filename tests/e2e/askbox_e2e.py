#!/usr/bin/env python3
"""End-to-end runs of the Linux askbox: exact output bytes, exit codes, channel troubles, boxes on a pty."""
import os
import re
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

PROGRAM = os.path.realpath(sys.argv[1]) if len(sys.argv) > 1 else None
# The usage line and the reports name the program's file without its directory.
NAME = os.path.basename(PROGRAM) if PROGRAM else None
TIMEOUT = 20

# The one golden copy of the usage text, written by hand from the documented text.
with open(os.path.join(HERE, "..", "usage.txt"), "rb") as _golden:
    USAGE_TEXT = _golden.read()


def usage(file_name):
    return USAGE_TEXT.replace(b"<file>", file_name.encode(), 1)


PROMPT = b"Press enter to return...\r\n"


def run(args, stdin=b"", stdout=subprocess.PIPE, pass_fds=(), preexec=None, new_session=True):
    """Runs askbox without a controlling terminal unless told otherwise."""
    proc = subprocess.run([PROGRAM] + args, input=stdin if isinstance(stdin, bytes) else None,
                          stdin=None if isinstance(stdin, bytes) else stdin, stdout=stdout,
                          stderr=subprocess.PIPE, timeout=TIMEOUT, start_new_session=new_session,
                          pass_fds=pass_fds, preexec_fn=preexec)
    return proc.returncode, proc.stdout, proc.stderr


def shell(command):
    """Runs a shell line with $P standing for askbox, in a new session (no terminal)."""
    proc = subprocess.run(["sh", "-c", command], env=dict(os.environ, P=PROGRAM), capture_output=True,
                          timeout=TIMEOUT, start_new_session=True, stdin=subprocess.DEVNULL)
    return proc.returncode, proc.stdout, proc.stderr


REPORT = re.compile(rb"^Exception (\w+) in module (.+) at ([0-9A-F]{8})\.\n(.*)\r\n$", re.S)


def image_base():
    """The address the image asks to be loaded at: 0 for a position-independent one."""
    headers = subprocess.run(["readelf", "-lW", PROGRAM], capture_output=True, text=True, timeout=TIMEOUT).stdout
    loads = [int(line.split()[2], 16) for line in headers.splitlines() if line.split()[:1] == ["LOAD"]]
    return min(loads)


def symbol_at(offset):
    """The outermost function of the call that ends at an offset, with its source place.

    The offset counts from the image's load address, which addr2line wants added back for an
    image that is not position-independent. It is a return address: the byte before it belongs
    to the call itself, whereas the offset may already fall into code that an optimiser moved in
    after the call."""
    address = image_base() + offset - 1
    out = subprocess.run(["addr2line", "-f", "-C", "-i", "-e", PROGRAM, "0x%x" % address],
                         capture_output=True, text=True, timeout=TIMEOUT).stdout.strip().split("\n")
    return (out[-2], out[-1]) if len(out) >= 2 else ("", "")


results = []


def check(name, condition, detail=""):
    results.append((name, bool(condition)))
    print("%s %s%s" % ("ok  " if condition else "FAIL", name, "" if condition else ": " + str(detail)))


def test_usage_and_pause():
    full = usage(NAME) + PROMPT
    for name, feed in [("CR LF", b"\r\n"), ("bare LF", b"\n"), ("empty input", b""),
                       ("text after CR", b"\rrest")]:
        code, out, err = run([], stdin=feed)
        check("usage and pause ended by %s" % name, code == 8 and out == full and err == b"",
              (code, out[-60:], err))
    code, out, _ = run(["caption=Hi"])
    check("usage without text has no pause", code == 8 and out == usage(NAME), (code, out[-40:]))
    code, out, _ = run(["text="])
    check("empty text gives usage", code == 8 and out == usage(NAME), code)
    with open(os.devnull, "rb") as null:
        code, out, _ = run([], stdin=null)
    check("pause at /dev/null is plain end of input", code == 8 and out == full, code)


def test_bad_argument():
    for args, shown in [(["text=Hi", "oops"], b"oops"), (["oops", "text=Hi"], b"oops"),
                        (["text=Hi", "two words"], b"two words"), (["a=1", "x\ty"], b"x\ty")]:
        code, out, _ = run(args)
        check("bad argument %r" % shown, code == 9 and
              out == b"Bad parameter option or unquoted text:" + shown + b"\r\n", (code, out))
    code, out, _ = run(["text=Hi", "", '""', "caption=x", "oops"])
    check("empty and quote-only elements are skipped", code == 9 and out.endswith(b":oops\r\n"), out)


def test_no_terminal():
    code, out, _ = run(["text=Hello world"])
    check("no terminal: MessageBox Failed, exit 0", code == 0 and out == b"MessageBox Failed\r\n", (code, out))


def test_channel_troubles():
    code, out, err = shell('"$P" >&-')
    check("closed standard output ends with 1", code == 1 and err == b"", (code, err))
    code, out, err = shell('"$P" text=Hi oops >&-')
    check("closed standard output on a bad argument ends with 1", code == 1, code)
    code, _, err = shell('"$P" </dev/null >/dev/full')
    check("full disk ends with 1", code == 1 and err == b"", (code, err))
    code, _, _ = shell('"$P" caption=x >/dev/full')
    check("full disk on the usage path ends with 1", code == 1, code)

    for args, want in [([], 1), (["text=Hi", "oops"], 9)]:
        read_end, write_end = os.pipe()
        os.close(read_end)
        try:
            proc = subprocess.run([PROGRAM] + args, stdin=subprocess.DEVNULL, stdout=write_end,
                                  stderr=subprocess.PIPE, timeout=TIMEOUT, start_new_session=True)
        finally:
            os.close(write_end)
        check("pipe without reader, %r ends with %d" % (args, want),
              proc.returncode == want and proc.stderr == b"", (proc.returncode, proc.stderr))

    code, out, _ = shell('"$P" <&-')
    expected_head = usage(NAME) + PROMPT
    match = REPORT.match(out[len(expected_head):])
    check("closed standard input in the pause reports I/O error 104",
          code == 1 and out.startswith(expected_head) and match is not None and
          match.group(1) == b"EInOutError" and match.group(4) == b"I/O error 104.", (code, out[-120:]))

    code, out, _ = shell('"$P" < /')
    match = REPORT.match(out[len(expected_head):])
    # EISDIR reads as the code Windows gives for reading a directory.
    check("a directory as standard input ends the pause with a report",
          code == 1 and match is not None and match.group(4) == b"I/O error 1.", (code, out[-100:]))


def test_list_failure_reports():
    for args, message in [(["text=Hi", "mode=8", "icon="], b"List index out of bounds (0)."),
                          (["text=Hi", "mode=8", "icon=x.dll"], b"List index out of bounds (1).")]:
        code, out, _ = run(args)
        match = REPORT.match(out)
        ok = code == 1 and match is not None
        check("report for %s is two lines" % args[-1], ok, (code, out))
        if not ok:
            continue
        check("report for %s names the list error" % args[-1],
              match.group(1) == b"EStringListError" and match.group(4) == message, out)
        check("report for %s names the program file" % args[-1], match.group(2) == NAME.encode(), out)
        function, place = symbol_at(int(match.group(3), 16))
        check("report offset for %s lands in the main routine" % args[-1],
              function == "RunMain()" and "main-routine.cpp" in place, (function, place))
    code, out, _ = run(["text=Hi", "mode=8", "icon=x.dll"])
    code2, out2, _ = run(["text=Other", "mode=24", "icon=y"])
    check("the same raising call gives the same offset", out.split(b" at ")[1][:8] == out2.split(b" at ")[1][:8],
          (out, out2))


def main():
    if PROGRAM is None or not os.access(PROGRAM, os.X_OK):
        print("usage: askbox_e2e.py path/to/askbox")
        return 2
    for test in [test_usage_and_pause, test_bad_argument, test_no_terminal, test_channel_troubles,
                 test_list_failure_reports]:
        try:
            test()
        except Exception as error:  # a crash in one group must not hide the others
            check(test.__name__, False, repr(error))
    try:
        import box_cases
        box_cases.run_all(PROGRAM, check)
    except ImportError:
        pass
    failed = sum(1 for _, ok in results if not ok)
    print("%d passed, %d failed" % (len(results) - failed, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
