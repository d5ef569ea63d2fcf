#!/usr/bin/env python3
"""askbox.exe under Wine: output bytes, exit codes, failure reports, and real boxes answered on X."""
import os
import re
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "e2e"))
from askbox_e2e import PROMPT, REPORT, usage  # noqa: E402

PROGRAM = os.path.realpath(sys.argv[1]) if len(sys.argv) > 1 else None
MAP_FILE = sys.argv[2] if len(sys.argv) > 2 else None
TIMEOUT = 30
# The loader for this build's kind: wine64 for a 64-bit askbox.exe, the 32-bit wine otherwise.
WINE = os.environ.get("WINE", "wine")
NAME = b"askbox.exe"

results = []


def check(name, condition, detail=""):
    results.append((name, bool(condition)))
    print("%s %s%s" % ("ok  " if condition else "FAIL", name, "" if condition else ": " + str(detail)),
          flush=True)


def windows_path(path):
    return "Z:" + path.replace("/", "\\")


def run(args, stdin=b"", **kwargs):
    proc = subprocess.run([WINE, PROGRAM] + args, input=stdin, capture_output=True, timeout=TIMEOUT,
                          **kwargs)
    return proc.returncode, proc.stdout


def shell(command):
    """A shell line with $P standing for "wine askbox.exe"."""
    proc = subprocess.run(["sh", "-c", command], env=dict(os.environ, P=WINE + " " + PROGRAM),
                          capture_output=True, timeout=TIMEOUT, stdin=subprocess.DEVNULL)
    return proc.returncode, proc.stdout


def batch(lines, console=False):
    """Runs the lines as a batch file through Wine's cmd.exe, which hands each typed command line to
    the program unchanged. Gives (exit code, output); under a console window the output is what the
    batch wrote to out.txt beside it."""
    folder = tempfile.mkdtemp(prefix="askbox-bat-")
    path = os.path.join(folder, "run.bat")
    text = "@echo off\r\n" + "".join(line.replace("%OUT%", windows_path(os.path.join(folder, "out.txt")))
                                     + "\r\n" for line in lines)
    with open(path, "w", newline="") as handle:
        handle.write(text.replace("ASKBOX", windows_path(PROGRAM)))
    command = [WINE] + (["wineconsole"] if console else []) + ["cmd", "/c", windows_path(path)]
    return subprocess.Popen(command, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                            stdin=subprocess.DEVNULL), folder


def finished(proc):
    out, _ = proc.communicate(timeout=TIMEOUT)
    return proc.returncode, out


# ---- text paths -------------------------------------------------------------------------------

def test_usage_and_pause():
    full = usage(NAME.decode()) + PROMPT
    for name, feed in [("CR LF", b"\r\n"), ("bare LF", b"\n"), ("empty input", b"")]:
        code, out = run([], stdin=feed)
        check("usage and pause ended by %s" % name, code == 8 and out == full, (code, out[-60:]))
    code, out = run(["caption=Hi"])
    check("usage without text has no pause", code == 8 and out == usage(NAME.decode()), (code, out[-40:]))


def test_bad_argument_and_raw_lines():
    code, out = run(["text=Hi", "oops"])
    check("bad argument line and exit 9",
          code == 9 and out == b"Bad parameter option or unquoted text:oops\r\n", (code, out))
    # Typed command lines, quotes and all, as a batch file passes them on.
    for line, shown in [('ASKBOX text=Hi a"b c"d', b"ab cd"),
                        ('ASKBOX "text=Hi" "" x"y', b"xy"),
                        ('ASKBOX text=Hi "two words', b"two words"),
                        ('ASKBOX text=Hi\tsecond', b"second")]:
        proc, _ = batch([line, "exit /b %ERRORLEVEL%"])
        code, out = finished(proc)
        check("raw line %r" % line, code == 9 and
              out == b"Bad parameter option or unquoted text:" + shown + b"\r\n", (code, out))


def symbol_at(offset):
    """The function of the linker map that holds the image offset."""
    with open(MAP_FILE, errors="replace") as handle:
        lines = handle.read().splitlines()
    base = next(int(m.group(1), 16) for m in (re.search(r"__image_base__ = 0x([0-9a-f]+)", line)
                                              for line in lines) if m)
    best = (0, "")
    address = base + offset
    for line in lines:
        match = re.match(r"^\s+0x([0-9a-f]{8,16})\s+([A-Za-z_][^=]*)$", line)
        if match:
            at = int(match.group(1), 16)
            if best[0] < at <= address:
                best = (at, match.group(2).strip())
    return best[1]


def test_failure_reports():
    for args, message in [(["text=Hi", "mode=8", "icon="], b"List index out of bounds (0)."),
                          (["text=Hi", "mode=8", "icon=x.dll"], b"List index out of bounds (1).")]:
        code, out = run(args)
        match = REPORT.match(out)
        ok = code == 1 and match is not None
        check("report for %s" % args[-1], ok and match.group(1) == b"EStringListError" and
              match.group(2) == NAME and match.group(4) == message, (code, out))
        if ok and MAP_FILE:
            function = symbol_at(int(match.group(3), 16))
            check("report offset for %s lands in the main routine" % args[-1], function == "RunMain()",
                  function)

    code, _ = shell("$P >&-")
    check("closed standard output ends with 1", code == 1, code)
    code, _ = shell("$P </dev/null >/dev/full")
    check("full disk ends with 1", code == 1, code)
    for args, want in [([], 1), (["text=Hi", "oops"], 9)]:
        read_end, write_end = os.pipe()
        os.close(read_end)
        try:
            proc = subprocess.run([WINE, PROGRAM] + args, stdin=subprocess.DEVNULL, stdout=write_end,
                                  stderr=subprocess.DEVNULL, timeout=TIMEOUT)
        finally:
            os.close(write_end)
        check("pipe without reader, %r ends with %d" % (args, want), proc.returncode == want,
              proc.returncode)
    head = usage(NAME.decode()) + PROMPT
    # A directory reads as code 1, which the Linux program reports too; what a closed standard
    # input gives varies with Wine's version.
    for name, redirect, message in [("closed", "<&-", b"I/O error "), ("a directory as", "</", b"I/O error 1.")]:
        code, out = shell("$P " + redirect)
        match = REPORT.match(out[len(head):])
        check("%s standard input ends the pause with an I/O report" % name,
              code == 1 and out.startswith(head) and match is not None and
              match.group(1) == b"EInOutError" and match.group(4).startswith(message),
              (code, out[-100:]))


# ---- real boxes -------------------------------------------------------------------------------

def xdotool(*args):
    return subprocess.run(["xdotool"] + list(args), capture_output=True, text=True, timeout=TIMEOUT).stdout


def find_window(caption, deadline=20, besides=()):
    end = time.time() + deadline
    while time.time() < end:
        found = xdotool("search", "--name", "^%s$" % re.escape(caption)).split()
        for window in found:
            if window in besides:
                continue
            if "IsViewable" in subprocess.run(["xwininfo", "-id", window], capture_output=True,
                                              text=True).stdout:
                return window
        time.sleep(0.2)
    return None


def map_state(window):
    out = subprocess.run(["xwininfo", "-id", window], capture_output=True, text=True).stdout
    match = re.search(r"Map State: (\w+)", out)
    return match.group(1) if match else "Gone"


def photograph(window):
    time.sleep(0.5)  # let the box finish painting
    return subprocess.run(["import", "-window", window, "rgb:-"], capture_output=True, timeout=TIMEOUT).stdout


def answer(window, keys):
    for key in keys:
        xdotool("key", "--window", window, key)
        time.sleep(0.3)


def box(args, caption, keys, photo=False):
    """Shows a box, presses the keys; gives (exit code, output, screenshot or None)."""
    proc = subprocess.Popen([WINE, PROGRAM] + args, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                            stdin=subprocess.DEVNULL)
    window = find_window(caption)
    if window is None:
        proc.kill()
        return None, b"no window named %r" % caption.encode(), None
    shot = photograph(window) if photo else None
    answer(window, keys)
    out, _ = proc.communicate(timeout=TIMEOUT)
    return proc.returncode, out, shot


def test_buttons():
    cases = [
        # Esc in a box without Cancel: Windows gives OK for an OK-only box and ignores it otherwise,
        # Wine's box answers Cancel; those cases are the platform's, and left to the pty tests.
        ("0", ["Return"], 1),
        ("1", ["Return"], 1), ("1", ["Escape"], 2),
        ("2", ["a"], 3), ("2", ["r"], 4), ("2", ["i"], 5),
        ("3", ["y"], 6), ("3", ["n"], 7), ("3", ["Escape"], 2),
        ("4", ["y"], 6), ("4", ["n"], 7),
        ("5", ["r"], 4), ("5", ["Escape"], 2),
        ("6", ["t"], 10), ("6", ["c"], 11), ("6", ["Escape"], 2),
        ("260", ["Return"], 7),   # Yes/No with the second button as default
        ("547", ["Return"], 2),   # Yes/No/Cancel with the third button as default
    ]
    for button, keys, want in cases:
        caption = "Buttons %s %s" % (button, "+".join(keys))
        code, out, _ = box(["text=Pick one", "caption=" + caption, "button=" + button], caption, keys)
        check("button=%s answered by %s gives %d" % (button, "+".join(keys), want),
              code == want and out == b"", (code, out))


def test_timeouts():
    cases = [
        # button, timeout, keys, answer, whether the limit ends the box; the first case, answered
        # at once, measures how long Wine keeps a box's window after its answer
        ("3", "5", ["n"], 7, False),
        ("4", "2", [], 6, True),
        ("0x104", "2", [], 7, True),
        ("0x203", "x2", [], 2, True),
        ("0", "$2", [], 1, True),
        ("4", "2", ["Right"], 6, True),  # the focus moved; the default button is still Yes
        ("1", "-1", [None, "Escape"], 2, False),
        ("1", "soon", [None, "Return"], 1, False),
        ("1", "0", [None, "Return"], 1, False),
    ]
    lag = None
    for button, limit, keys, want, runs_out in cases:
        caption = "Timeout %s %s %s" % (button, limit, "+".join(str(key) for key in keys))
        proc = subprocess.Popen([WINE, PROGRAM, "text=Wait", "caption=" + caption, "button=" + button,
                                 "timeout=" + limit], stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                                stdin=subprocess.DEVNULL)
        window = find_window(caption, deadline=20)
        shown = time.time()
        still = True
        for key in keys:
            if key is None:
                time.sleep(3)
                still = still and window is not None and map_state(window) == "IsViewable"
            elif window:
                answer(window, [key])
        # The box's own life, from its window up to its window gone; Wine's exit takes a while more.
        while window and map_state(window) == "IsViewable" and time.time() < shown + TIMEOUT:
            time.sleep(0.05)
        took = time.time() - shown
        out, _ = proc.communicate(timeout=TIMEOUT)
        if lag is None:
            lag = took - 0.3 * len(keys)  # answer() waits 0.3 s after a key
        timely = True
        if runs_out:
            seconds = int(limit.lstrip("$x"), 16 if limit[0] in "$x" else 10)
            timely = seconds - 1 < took - lag < seconds + 1
        check("button=%s timeout=%s %s gives %d (box up %.2f s, %.2f s of it Wine's after the answer)" %
              (button, limit, keys, want, took, lag),
              window is not None and proc.returncode == want and out == b"" and still and timely,
              (proc.returncode, out, still, took))


def test_icons():
    shots = {}
    for name, args in [("none", ["icon=0"]), ("16", ["icon=16"]), ("32", ["icon=32"]),
                       ("48", ["icon=48"]), ("64", ["icon=64"]),
                       ("shell32,4", ["mode=24", "icon=shell32.dll,4"]),
                       ("shell32 missing", ["mode=24", "icon=shell32.dll,65000"]),
                       ("own by name", ["mode=8", "icon=%s,APPICON" % windows_path(PROGRAM)]),
                       ("own missing name", ["mode=8", "icon=%s,NOSUCHICON" % windows_path(PROGRAM)])]:
        caption = "Icon " + name
        code, out, shot = box(["text=Look at the icon", "caption=" + caption] + args, caption, ["Return"],
                              photo=True)
        check("icon %s box answered" % name, code == 1 and shot, (code, out))
        shots[name] = shot
    drawn = ["16", "32", "48", "64", "shell32,4", "own by name"]
    for name in drawn:
        check("icon %s is drawn" % name, shots[name] and shots[name] != shots["none"])
    distinct = {shots[name] for name in drawn}
    check("every icon looks different", len(distinct) == len(drawn), len(distinct))
    check("a missing module icon is not the loaded one", shots["shell32 missing"] != shots["shell32,4"])
    check("a missing resource name is not the loaded one", shots["own missing name"] != shots["own by name"])


def test_text_and_caption():
    code, out, shot = box(["text=First line", "caption=Plain caption"], "Plain caption", ["Return"])
    check("box found by its caption and answered", code == 1, (code, out))


def console_batch(lines, caption, keys, watch_console=False):
    """Runs a batch in a console window titled "My Batch"; gives the box's caption's window state."""
    # The pause lets the console be found before a box of the same caption comes up.
    proc, folder = batch(["title My Batch", "ping -n 3 127.0.0.1 > NUL"] + lines +
                         ["echo level %ERRORLEVEL% > %OUT%", "ping -n 4 127.0.0.1 > NUL"], console=True)
    console = find_window("My Batch")
    window = find_window(caption, besides=(console,))
    states = []
    if console and window and watch_console:
        states.append(map_state(console))
    if window:
        answer(window, keys)
    if console and watch_console:
        end = time.time() + 8
        while map_state(console) == "IsUnMapped" and time.time() < end:
            time.sleep(0.2)
        states.append(map_state(console))
    proc.wait(timeout=TIMEOUT)
    try:
        with open(os.path.join(folder, "out.txt"), "rb") as handle:
            level = handle.read().strip().replace(b"level ", b"")
    except OSError:
        level = b""
    return window is not None, level, states


def test_console_title_and_hiding():
    # Two windows share the caption here: the console and, once up, the box in front of it.
    found, level, _ = console_batch(["ASKBOX text=Title_caption"], "My Batch", ["Return"])
    check("the console title is the default caption", found and level == b"1", level)
    for line in ["ASKBOX text=Hi caption=", "ASKBOX text=Hi caption= caption=X"]:
        found, level, _ = console_batch([line + " button=4"], "My Batch", ["n"])
        check("%s takes the console title" % line[7:], found and level == b"7", level)
    found, level, states = console_batch(["ASKBOX text=Hidden mode=1 caption=Hider"], "Hider", ["Return"],
                                         watch_console=True)
    check("mode 1 hides the console while the box is up and shows it again",
          found and level == b"1" and states == ["IsUnMapped", "IsViewable"], (level, states))


def test_batch_branching():
    lines = ["ASKBOX \"text=Save changes?\" caption=Branching button=3",
             "if errorlevel 7 goto no", "if errorlevel 6 goto yes", "echo pressed Cancel", "goto end",
             ":yes", "echo pressed Yes", "goto end", ":no", "echo pressed No", ":end"]
    for key, shown in [("y", b"Yes"), ("n", b"No"), ("Escape", b"Cancel")]:
        proc, _ = batch(lines)
        window = find_window("Branching")
        if window:
            answer(window, [key])
        code, out = finished(proc)
        check("batch branches on errorlevel after %s" % key,
              window is not None and out == b"pressed " + shown + b"\r\n", out)


def main():
    if PROGRAM is None or not os.path.isfile(PROGRAM):
        print("usage: askbox_wine_e2e.py path/to/askbox.exe [askbox.map]")
        return 2
    for test in [test_usage_and_pause, test_bad_argument_and_raw_lines, test_failure_reports, test_buttons,
                 test_timeouts, test_icons, test_text_and_caption, test_console_title_and_hiding, test_batch_branching]:
        only = os.environ.get("ASKBOX_ONLY")  # a comma list of groups, to rerun a few by hand
        if only and test.__name__ not in only.split(","):
            continue
        try:
            test()
        except Exception as error:  # one group's crash must not hide the others
            check(test.__name__, False, repr(error))
    failed = sum(1 for _, ok in results if not ok)
    print("%d passed, %d failed" % (len(results) - failed, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
