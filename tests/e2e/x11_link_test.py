#!/usr/bin/env python3
"""askbox and the X libraries it loads at run time, on Xvfb under openbox: the window for a user with
no passwd entry and no home, and in a locale other than UTF-8; the terminal box where the libraries
are missing or one lacks a call; none of them loaded on the short paths."""

import os
import shutil
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import x11_box_test as desktop  # noqa: E402
from ptyrun import PtyProcess  # noqa: E402
from x11_box_test import Failure, check, find_window, finish, type_keys  # noqa: E402

SONAMES = ["libX11.so.6", "libXrender.so.1", "libfontconfig.so.1", "libXft.so.2", "libX11-xcb.so.1",
           "libxcb-randr.so.0"]
SHAPING_SONAMES = ["libharfbuzz.so.0", "libfribidi.so.0"]
DBUS_SONAME = "libdbus-1.so.3"
IDOK = 1
INCOMPLETE_XFT = None


def start(argv, env, terminal):
    env = desktop.box_env(TERM="xterm", **env)
    if terminal:
        return PtyProcess(argv, env=env)
    return subprocess.Popen(argv, env=env, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                            stderr=subprocess.PIPE, start_new_session=True)


def answer_terminal_box(p, caption):
    try:
        check(p.read_until(caption, 5) is not None, f"no terminal box; output {bytes(p.output)[-200:]!r}")
        p.send(b"\r")
        check(p.wait(3) == IDOK, "wrong answer from the terminal box")
    finally:
        p.close()


WINDOW_CASES = [
    # name, command before askbox, environment, text, caption, the caption as the window shows it.
    # The C library's name services (getpwuid_r, where Xlib and fontconfig look for a home) and its
    # character set modules must be the system's own: linked into the program, they crashed it.
    ("a uid without a passwd entry and without HOME",
     ["setpriv", "--reuid", "12345", "--regid", "12345", "--clear-groups"], {"HOME": None}, b"Hi", b"Nobody",
     "Nobody"),
    ("an ISO-8859-1 locale", [], {"LANG": "de_DE.ISO-8859-1"}, b"caf\xe9", b"caf\xe9 8859", "café 8859"),
    # Shaping is optional: without HarfBuzz and FriBidi, Arabic is drawn letter by letter as before.
    ("Arabic text without HarfBuzz and FriBidi", lambda: hidden_libraries([], SHAPING_SONAMES), {},
     "مرحبا".encode(), b"Unshaped", "Unshaped"),
    # Reading events a buffer at a time is optional too: without libX11-xcb, Xlib's queue reads them.
    ("without libX11-xcb", lambda: hidden_libraries([], ["libX11-xcb.so.1"]), {}, b"Hi", b"Queued", "Queued"),
    # So is the list of monitors: without XCB's RandR the screen is one monitor.
    ("without libxcb-randr", lambda: hidden_libraries([], ["libxcb-randr.so.0"]), {},
     b"Hi", b"One screen", "One screen"),
]


def window_case(prefix, env, text, caption, shown):
    prefix = prefix() if callable(prefix) else prefix
    proc = start(prefix + [desktop.PROGRAM.encode(), b"text=" + text, b"caption=" + caption], env, False)
    type_keys(find_window(shown, proc=proc), ["Return"])
    code, _ = finish(proc)
    check(code == IDOK, f"exit {code}, wanted {IDOK}")


def hidden_libraries(argv, sonames=SONAMES):
    """argv run where every library of sonames reads as /dev/null, in a mount namespace of its own."""
    listing = subprocess.run(["ldconfig", "-p"], capture_output=True, text=True, check=True).stdout
    paths = sorted({line.split(" => ")[1] for line in listing.splitlines()
                    if " => " in line and line.split()[0] in sonames})
    check(len(paths) >= len(sonames), f"not every library found to hide: {paths}")
    hide = 'while [ "$1" != -- ]; do mount --bind /dev/null "$1" || exit 97; shift; done; shift; exec "$@"'
    return ["unshare", "--mount", "--propagation", "private", "--", "sh", "-c", hide, "hide", *paths, "--", *argv]


FALLBACK_CASES = [
    # name, how askbox is started, its environment; a live display in DISPLAY all the same
    ("the X libraries missing", hidden_libraries, lambda: {}),
    ("a libXft.so.2 that lacks calls", lambda argv: argv, lambda: {"LD_LIBRARY_PATH": INCOMPLETE_XFT}),
]


def fallback_case(wrap, env, terminal):
    p = start(wrap([desktop.PROGRAM, "text=On the terminal", "caption=Fallback"]), env(), terminal)
    if terminal:
        answer_terminal_box(p, b"Fallback")
    else:
        code, out = finish(p)
        check(code == 0 and out == b"MessageBox Failed\r\n", f"exit {code}, output {out!r}")


SHORT_PATHS = [
    # name, arguments, on a terminal (and then without a display)
    ("usage", [], False),
    ("bad argument", ["text=Hi", "oops"], False),
    ("failure report", ["text=Hi", "mode=8", "icon="], False),
    ("terminal box", ["text=Hi", "caption=Short"], True),
]


def short_path_case(args, terminal):
    log = os.path.join(desktop.SCRATCH, "loads")
    # A session bus named as on a desktop: only a window looks for the accessibility bus.
    env = {"LD_DEBUG": "files", "LD_DEBUG_OUTPUT": log, "DBUS_SESSION_BUS_ADDRESS": "unix:path=/run/no-bus"}
    if terminal:
        answer_terminal_box(start([desktop.PROGRAM, *args], dict(env, DISPLAY=None), True), b"Short")
    else:
        finish(start([desktop.PROGRAM, *args], env, False))
    logs = [os.path.join(desktop.SCRATCH, n) for n in os.listdir(desktop.SCRATCH) if n.startswith("loads.")]
    check(len(logs) == 1, f"{len(logs)} loader logs")
    with open(logs[0]) as handle:
        loads = handle.read()
    os.remove(logs[0])
    check("libc.so.6" in loads, "the loader's log names no library at all")
    unwanted = [s for s in SONAMES + [DBUS_SONAME] if s in loads]
    check(not unwanted, f"loaded {unwanted}")


def shaping_loads_case():
    """Latin text never loads HarfBuzz or FriBidi; Hebrew text does."""
    for text, wanted in (("Plain Latin", False), ("שלום", True)):
        log = os.path.join(desktop.SCRATCH, "shaping")
        proc = start([desktop.PROGRAM, "text=" + text, "caption=Loads"], {"LD_DEBUG": "files", "LD_DEBUG_OUTPUT": log},
                     False)
        type_keys(find_window("Loads", proc=proc), ["Return"])
        finish(proc)
        logs = [os.path.join(desktop.SCRATCH, n) for n in os.listdir(desktop.SCRATCH) if n.startswith("shaping.")]
        loads = "".join(open(name).read() for name in logs)
        for name in logs:
            os.remove(name)
        check(("libharfbuzz.so.0" in loads and "libfribidi.so.0" in loads) == wanted, f"{text}: loaded {wanted}")


def main():
    global INCOMPLETE_XFT
    desktop.PROGRAM = os.path.abspath(sys.argv[1])
    INCOMPLETE_XFT = os.path.abspath(sys.argv[2])
    missing = [tool for tool in desktop.TOOLS + ["setpriv", "unshare", "ldconfig"] if shutil.which(tool) is None]
    if missing or os.geteuid() != 0:
        print("SKIPPED: needs root and %s" % ", ".join(missing or ["nothing more"]))
        return 77
    try:
        server, wm, wm_log = desktop.start_desktop()
    except Failure as error:
        print("%s\n0 passed, 1 failed" % error)
        return 1
    cases = [("window: " + c[0], lambda c=c: window_case(*c[1:])) for c in WINDOW_CASES]
    cases += [("%s, %s" % (c[0], "terminal box on a terminal" if t else "MessageBox Failed without one"),
               lambda c=c, t=t: fallback_case(c[1], c[2], t)) for c in FALLBACK_CASES for t in (True, False)]
    cases += [("%s path loads no X or D-Bus library" % c[0], lambda c=c: short_path_case(*c[1:])) for c in SHORT_PATHS]
    cases += [("HarfBuzz and FriBidi only for text that needs them", shaping_loads_case)]
    return desktop.run_cases(cases, server, wm, wm_log)


if __name__ == "__main__":
    sys.exit(main())
