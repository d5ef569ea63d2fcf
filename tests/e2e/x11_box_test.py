#!/usr/bin/env python3
"""The Linux askbox's X window on Xvfb under openbox: keys, close requests, clicks, properties,
icons, the terminal's window from WINDOWID, a display that dies, and the fall-backs to the terminal."""

import os
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from ptyrun import PtyProcess  # noqa: E402

TOOLS = ["Xvfb", "openbox", "xdotool", "wmctrl", "xprop", "xwininfo", "import", "convert", "xterm", "xauth",
         "xclip", "xrdb", "xsettingsd"]
SCREEN = (1280, 800)
PROGRAM = None
DRIVER = None  # the box driver, for the memcheck run
MANAGER = None  # the clipboard manager helper
NEIGHBOUR = None  # another client that floods the box or cuts it off
DISPLAY = None
SCRATCH = tempfile.mkdtemp(prefix="askbox-x11-")
IDOK, IDCANCEL, IDABORT, IDRETRY, IDIGNORE, IDYES, IDNO, IDTRYAGAIN, IDCONTINUE = 1, 2, 3, 4, 5, 6, 7, 10, 11


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def start_xvfb(*extra, screen=SCREEN):
    """A virtual display on a free number; gives (process, ':N')."""
    read, write = os.pipe()
    proc = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0", "%dx%dx24" % screen,
                             "-nolisten", "tcp", *extra], pass_fds=(write,), stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL)
    os.close(write)
    number = b""
    while not number.endswith(b"\n"):
        chunk = os.read(read, 16)
        if not chunk:
            raise Failure("Xvfb did not start")
        number += chunk
    os.close(read)
    return proc, ":" + number.decode().strip()


def x(*argv, check_rc=False):
    out = subprocess.run(argv, env=dict(os.environ, DISPLAY=DISPLAY, LANG="C.UTF-8"), capture_output=True,
                         text=True, timeout=10)
    if check_rc and out.returncode != 0:
        raise Failure(f"{argv} failed: {out.stderr.strip()}")
    return out.stdout


def box_env(**extra):
    env = {"PATH": os.environ.get("PATH", "/usr/bin:/bin"), "LANG": "C.UTF-8", "HOME": SCRATCH,
           "DISPLAY": DISPLAY}
    env.update(extra)
    return {k: v for k, v in env.items() if v is not None}


def launch(*args, **env):
    """askbox with no terminal of its own, so that only a window can answer it."""
    return subprocess.Popen([PROGRAM, *args], env=box_env(**env), stdin=subprocess.DEVNULL,
                            stdout=subprocess.PIPE, stderr=subprocess.PIPE, start_new_session=True)


def find_window(name, timeout=10.0, proc=None):
    """The box whose title (_NET_WM_NAME) is name, once the window manager has taken it on."""
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        for wid in x("xdotool", "search", "--class", "Askbox").split():
            if x("xprop", "-id", wid, "_NET_WM_NAME").endswith(' = "%s"\n' % name) and \
                    "window state" in x("xprop", "-id", wid, "WM_STATE"):
                return wid
        if proc is not None and proc.poll() is not None:
            break
        time.sleep(0.05)
    state = "running" if proc is None or proc.poll() is None else "ended with %s" % proc.returncode
    raise Failure(f"no box window named {name!r}; askbox {state}")


def finish(proc, timeout=5.0):
    try:
        out, err = proc.communicate(timeout=timeout)
    except subprocess.TimeoutExpired:
        proc.kill()
        proc.communicate()
        raise Failure("askbox did not end")
    return proc.returncode, out


def still_up(proc, seconds=0.4):
    time.sleep(seconds)
    return proc.poll() is None


def geometry(wid):
    info = {}
    for line in x("xwininfo", "-id", wid).splitlines():
        key, _, value = line.strip().partition(":")
        if value.strip().lstrip("-").isdigit():
            info[key] = int(value)
    return info["Absolute upper-left X"], info["Absolute upper-left Y"], info["Width"], info["Height"]


def type_keys(wid, keys):
    x("xdotool", "windowactivate", "--sync", wid)
    for key in keys:
        x("xdotool", "key", "--clearmodifiers", key, check_rc=True)
        time.sleep(0.05)


# ---------------------------------------------------------------- answers

# The catalogs of the build tree, where CMake built them; a language's labels need them.
CATALOGS = {"ASKBOX_TEST_LOCALEDIR": os.environ.get("ASKBOX_TEST_LOCALEDIR", "/nonexistent: built without msgfmt")}
GERMAN = dict(CATALOGS, LANG="de_DE.UTF-8")
FRENCH = dict(CATALOGS, LANG="fr_FR.UTF-8")
JAPANESE = dict(CATALOGS, LANG="ja_JP.UTF-8")

KEY_CASES = [
    # style, keys, answer, the environment where not English; None in the keys: the box must
    # still be up at that point
    ("0", ["Return"], IDOK),
    ("0", ["Escape"], IDOK),
    ("1", ["Escape"], IDCANCEL),
    ("1", ["Tab", "Return"], IDCANCEL),
    ("1", ["Right", "space"], IDCANCEL),
    ("2", ["r"], IDRETRY),
    ("2", ["Escape", None, "I"], IDIGNORE),
    ("3", ["shift+Tab", "Return"], IDCANCEL),
    ("3", ["ctrl+y", None, "n"], IDNO),
    ("4", ["Escape", None, "Left", "Return"], IDNO),
    ("4", ["alt+y"], IDYES),
    ("5", ["Down", "KP_Enter"], IDCANCEL),
    ("6", ["Return"], IDCANCEL),
    ("6", ["t"], IDTRYAGAIN),
    ("6", ["c"], IDCONTINUE),
    ("104", ["Return"], IDNO),
    ("203", ["Return"], IDCANCEL),
    ("106", ["Up", "Return"], IDCANCEL),
    ("100003", ["Left", "Return"], IDNO),  # mirrored: Yes on the right, No left of it
    ("3", ["y", None, "j"], IDYES, GERMAN),
    ("6", ["r"], IDTRYAGAIN, FRENCH),
    ("4", ["n"], IDNO, JAPANESE),
]


def key_case(style, keys, answer, env=None):
    caption = "Keys %s" % style
    proc = launch("text=Press a key", "caption=" + caption, "button=0x" + style, **(env or {}))
    wid = find_window(caption, proc=proc)
    for key in keys:
        if key is None:
            check(still_up(proc, 0.2), "box closed by a key that has no meaning here")
        else:
            type_keys(wid, [key])
    code, _ = finish(proc)
    check(code == answer, f"exit {code}, wanted {answer}")


TIMEOUT_CASES = [
    # button, timeout, keys sent at once, answer, whether the limit ends the box
    ("0", "2", [], IDOK, True),
    ("0x104", "2", [], IDNO, True),
    ("4", "0x2", ["Right"], IDYES, True),  # the default stays the default where the focus went
    ("3", "4", ["n"], IDNO, False),
    ("1", "-2", [None, "Return"], IDOK, False),
    ("1", "soon", [None, "Return"], IDOK, False),
]


def photo(wid):
    return subprocess.run(["import", "-window", wid, "rgb:-"], env=dict(os.environ, DISPLAY=DISPLAY),
                          capture_output=True, timeout=10).stdout


def timeout_case(button, limit, keys, answer, runs_out):
    caption = "Timeout %s %s" % (button, limit)
    started = time.monotonic()
    proc = launch("text=Wait for it", "caption=" + caption, "button=" + button, "timeout=" + limit)
    wid = find_window(caption, proc=proc)
    shots = [photo(wid)] if runs_out else []
    for key in keys:
        if key is None:
            check(still_up(proc, 2.5), "a box without a usable limit closed by itself")
        else:
            type_keys(wid, [key])
    if runs_out:
        time.sleep(1.1)
        shots.append(photo(wid))
        check(shots[0] != shots[1], "the seconds left on the default button did not count down")
    code, _ = finish(proc)
    elapsed = time.monotonic() - started
    check(code == answer, f"exit {code}, wanted {answer}")
    if runs_out:
        seconds = int(limit, 0)
        check(seconds - 0.1 < elapsed < seconds + 1.0, f"ended after {elapsed:.2f} s, limit {seconds} s")


COPY_CASES = [
    # arguments, the copy's caption, text and labels, its STRING (ISO 8859-1) form's caption
    (["button=1"], "Copy OK/Cancel", "Disk is full", "OK   Cancel   ", "Copy OK/Cancel"),
    (["button=0x203", "timeout=60"], "Copy Yes/No/Cancel", "Two\nlines", "Yes   No   Cancel   ", "Copy Yes/No/Cancel"),
    (["button=0"], "Copy caf\u00e9 \u2713", "\u00e9t\u00e9", "OK   ", "Copy caf\u00e9 ?"),
    # then the environment and the labels' STRING form; each of these boxes has a Cancel
    (["button=3"], "Copy German", "Text", "Ja   Nein   Abbrechen   ", "Copy German", GERMAN),
    (["button=6"], "Copy French", "Texte", "Annuler   R\u00e9essayer   Continuer   ", "Copy French", FRENCH),
    (["button=5"], "Copy Japanese", "Text", "\u518d\u8a66\u884c(R)   \u30ad\u30e3\u30f3\u30bb\u30eb   ",
     "Copy Japanese", JAPANESE, "???(R)   ?????   "),
]


def clipboard(target):
    out = subprocess.run(["xclip", "-o", "-selection", "clipboard", "-t", target], env=dict(os.environ, DISPLAY=DISPLAY),
                         capture_output=True, timeout=10)
    return out.stdout if out.returncode == 0 else None


def copy_case(args, caption, text, labels, latin1_caption, env=None, latin1_labels=None):
    rule = "-" * 27 + "\n"
    proc = launch("text=" + text, "caption=" + caption, *args, **(env or {}))
    wid = find_window(caption, proc=proc)
    type_keys(wid, ["ctrl+c"])
    check(still_up(proc, 0.2), "Ctrl+C closed the box")
    wanted = rule + caption + "\n" + rule + text + "\n" + rule + labels + "\n" + rule
    got = clipboard("UTF8_STRING")
    check(got == wanted.encode(), f"UTF8_STRING {got!r}")
    latin1 = wanted.replace(caption, latin1_caption).replace(labels, latin1_labels or labels)
    check(clipboard("STRING") == latin1.encode("latin-1"), f"STRING {clipboard('STRING')!r}")
    targets = (clipboard("TARGETS") or b"").split()
    check({b"TARGETS", b"UTF8_STRING", b"STRING", b"TEXT"} <= set(targets), f"TARGETS {targets}")
    cancels = "Cancel" in labels or env is not None
    type_keys(wid, ["Escape" if cancels else "Return"])
    code, _ = finish(proc)
    check(code == (IDCANCEL if cancels else IDOK), f"exit {code}")


def case_copy_handed_to_manager():
    """An answered box hands its copy to the clipboard manager, which serves it once the box is gone;
    without a manager the copy goes with the box."""
    for with_manager in ([True] if MANAGER else []) + [False]:
        manager = None
        if with_manager:
            manager = subprocess.Popen([MANAGER], env=dict(os.environ, DISPLAY=DISPLAY), stdout=subprocess.PIPE)
            check(manager.stdout.readline() == b"ready\n", "the clipboard manager did not start")
        try:
            caption = "Copy kept %s" % with_manager
            proc = launch("text=Keep me", "caption=" + caption)
            wid = find_window(caption, proc=proc)
            type_keys(wid, ["ctrl+c", "Return"])
            code, _ = finish(proc)
            check(code == IDOK, f"exit {code}")
            got = clipboard("UTF8_STRING")
            if with_manager:
                check(got is not None and b"Keep me\n" in got, f"the manager holds {got!r}")
            else:
                check(not got, f"the clipboard still holds {got!r}")
        finally:
            if manager:
                manager.kill()
                manager.wait()


def close_case(style, answer):
    caption = "Close %s" % style
    proc = launch("text=Close me", "caption=" + caption, "button=" + style)
    find_window(caption, proc=proc)
    x("wmctrl", "-c", caption)
    if answer is None:
        check(still_up(proc), "a box without Cancel was closed")
        type_keys(find_window(caption), ["Return"])
        finish(proc)
        return
    code, _ = finish(proc)
    check(code == answer, f"exit {code}, wanted {answer}")


def button_centre(wid, index, count):
    """Where the index-th of count buttons sits at 96 DPI: right-aligned 86 x 26 buttons, 10 apart,
    20 from the right edge, 12 above the bottom."""
    _, _, width, height = geometry(wid)
    right = width - 20 - (count - 1 - index) * 96
    return right - 43, height - 12 - 13


def case_click():
    proc = launch("text=Click", "caption=Click", "button=4")
    wid = find_window("Click", proc=proc)
    yes, no = button_centre(wid, 0, 2), button_centre(wid, 1, 2)
    # Pressed on No, released on Yes: no answer, but the focus went to No.
    x("xdotool", "mousemove", "--window", wid, str(no[0]), str(no[1]), "mousedown", "1")
    x("xdotool", "mousemove", "--window", wid, str(yes[0]), str(yes[1]), "mouseup", "1")
    check(still_up(proc), "a press and release on different buttons answered")
    type_keys(wid, ["Return"])
    code, _ = finish(proc)
    check(code == IDNO, f"exit {code}: Enter after pressing No, wanted {IDNO}")
    proc = launch("text=Click", "caption=Click2", "button=4")
    wid = find_window("Click2", proc=proc)
    x("xdotool", "mousemove", "--window", wid, str(yes[0]), str(yes[1]), "click", "1")
    code, _ = finish(proc)
    check(code == IDYES, f"exit {code}, wanted {IDYES}")


# ---------------------------------------------------------------- what the window is

def case_properties():
    caption = "Propertiés ✓"
    proc = launch("text=Properties", "caption=" + caption, "button=1")
    wid = find_window(caption, proc=proc)
    time.sleep(0.3)
    props = x("xprop", "-id", wid)
    for wanted in ['_NET_WM_WINDOW_TYPE(ATOM) = _NET_WM_WINDOW_TYPE_DIALOG',
                   'WM_CLASS(STRING) = "askbox", "Askbox"',
                   '_NET_WM_NAME(UTF8_STRING) = "%s"' % caption,
                   'WM_NAME(STRING) = "Propertiés ?"', "WM_DELETE_WINDOW", "Icon (48 x 48)"]:
        check(wanted in props, f"{wanted!r} missing from the properties")
    check("_NET_WM_STATE_ABOVE" not in props, "kept above without MB_TOPMOST")
    hints = x("xprop", "-id", wid, "WM_NORMAL_HINTS")
    check("minimum size" in hints and "maximum size" in hints, "size not fixed")
    check(hints.split("minimum size:")[1].split("\n")[0] == hints.split("maximum size:")[1].split("\n")[0],
          f"minimum and maximum size differ: {hints}")
    focus = x("xdotool", "getwindowfocus").strip()
    check(focus == wid, f"focus on {focus}, not on the box {wid}, without anyone activating it")
    # The frame, title bar and all, is what is centred.
    left, top, width, height = geometry(wid)
    sides = [int(n) for n in x("xprop", "-id", wid, "_NET_FRAME_EXTENTS").split("=")[1].split(",")]
    centre = (left - sides[0] + (width + sides[0] + sides[1]) / 2, top - sides[2] + (height + sides[2] + sides[3]) / 2)
    check(abs(centre[0] - SCREEN[0] / 2) <= 1 and abs(centre[1] - SCREEN[1] / 2) <= 1, f"frame not centred: {centre}")
    type_keys(wid, ["Escape"])
    check(finish(proc)[0] == IDCANCEL, "wrong answer")


STYLE_CASES = [
    # button=, the property (of the box, or the root's with "-root"), what it must or must not say
    ("0x40001", "_NET_WM_STATE", "_NET_WM_STATE_ABOVE", True),
    ("0x10001", "-root _NET_ACTIVE_WINDOW", "{wid}", True),
    # Cancel answers Esc, so the close button is offered; never maximise or minimise
    ("0x1", "_MOTIF_WM_HINTS", "= 0x3, 0x24, 0x1a,", True),
    ("0x4", "_MOTIF_WM_HINTS", "= 0x3, 0x4, 0x1a,", True),
    ("0x2", "_MOTIF_WM_HINTS", "0x24", False),
]


def style_case(style, prop, wanted, present):
    caption = "Style %s" % style
    proc = launch("text=Styled", "caption=" + caption, "button=" + style)
    wid = find_window(caption, proc=proc)
    time.sleep(0.3)
    where = ["-root"] if prop.startswith("-root ") else ["-id", wid]
    value = x("xprop", *where, prop.split()[-1])
    wanted = wanted.format(wid=hex(int(wid)))
    check((wanted in value) == present, f"{prop} is {value.strip()!r}")
    type_keys(wid, ["Return"])
    finish(proc)


def ink_columns(rows, top, bottom):
    """The leftmost and rightmost columns with dark pixels between the rows top and bottom."""
    dark = [x0 for y in range(top, bottom) for x0, p in enumerate(rows[y]) if colour_name(p) == "dark"]
    return min(dark), max(dark)


def case_mirrored_and_right():
    """MB_RTLREADING puts the icon on the right and Yes left of No; MB_RIGHT ends the rows at
    the right margin."""
    proc = launch("text=Mirrored", "caption=Mirrored", "icon=48", "button=0x100004")
    wid = find_window("Mirrored", proc=proc)
    time.sleep(0.2)
    rows = pixels(wid, os.path.join(SCRATCH, "mirrored.png"))
    width = len(rows[0])
    yellow = [x0 for x0 in range(width) if colour_name(rows[36][x0]) == "yellow"]
    check(yellow and min(yellow) > width - 60, f"icon not on the right: {yellow[:3]}")
    yes = (20 + 96 + 43, button_centre(wid, 0, 2)[1])  # mirrored: No at the left margin, Yes after it
    x("xdotool", "mousemove", "--window", wid, str(yes[0]), str(yes[1]), "click", "1")
    check(finish(proc)[0] == IDYES, "the left button of a mirrored Yes/No is not Yes")
    proc = launch("text=Right\nmuch longer row", "caption=Right", "button=0x80000")
    wid = find_window("Right", proc=proc)
    time.sleep(0.2)
    rows = pixels(wid, os.path.join(SCRATCH, "right.png"))
    first, second = ink_columns(rows, 20, 36), ink_columns(rows, 37, 52)
    check(abs(first[1] - second[1]) <= 2 and first[0] > second[0] + 20, f"rows not right-aligned: {first} {second}")
    type_keys(wid, ["Return"])
    finish(proc)


def text_ink(text, caption, **env):
    """The runs of inked columns, as (first, last), across the one-row text of a box without an icon."""
    proc = launch("text=" + text, "caption=" + caption, **env)
    wid = find_window(caption, proc=proc)
    time.sleep(0.2)
    rows = pixels(wid, os.path.join(SCRATCH, "ink.png"))
    type_keys(wid, ["Return"])
    finish(proc)
    inked = [any(colour_name(rows[y][x0]) != "white" for y in range(14, 44)) for x0 in range(len(rows[0]))]
    runs, start = [], None
    for x0, ink in enumerate(inked + [False]):
        if ink and start is None:
            start = x0
        elif not ink and start is not None:
            runs.append((start, x0 - 1))
            start = None
    check(runs, f"no text drawn for {caption}")
    return runs


def width_of(runs):
    return runs[-1][1] - runs[0][0] + 1


def case_right_to_left_text():
    # Vav is a thin stroke, shin a wide letter: read right to left, the first letter ends the row.
    runs = text_ink("ושששש", "Hebrew")
    check(runs[-1][1] - runs[-1][0] < (runs[0][1] - runs[0][0]) / 2, f"the first letter is not at the right: {runs}")


def case_joined_arabic():
    # The same five letters kept apart by zero-width non-joiners take their wide isolated forms.
    joined = width_of(text_ink("ببببب", "Joined"))
    apart = width_of(text_ink("\u200c".join("ببببب"), "Apart"))
    check(joined < apart * 0.8, f"joined {joined} px, isolated {apart} px")


def case_arabic_label():
    # The Arabic catalog's OK is drawn as the same word is in the text: joined, read from the right.
    proc = launch("text=Label", "caption=Arabic label", "button=0", **dict(CATALOGS, LANGUAGE="ar"))
    wid = find_window("Arabic label", proc=proc)
    time.sleep(0.2)
    rows = pixels(wid, os.path.join(SCRATCH, "label.png"))
    centre_x, centre_y = button_centre(wid, 0, 1)
    type_keys(wid, ["Return"])
    finish(proc)
    inked = [x0 for x0 in range(centre_x - 38, centre_x + 38)
             if any(colour_name(rows[y][x0]) == "dark" for y in range(centre_y - 9, centre_y + 9))]
    check(inked, "no label drawn")
    word = width_of(text_ink("\u0645\u0648\u0627\u0641\u0642", "Word"))
    check(abs(inked[-1] - inked[0] + 1 - word) <= 2, f"label {inked[-1] - inked[0] + 1} px, the word {word} px")


def case_emoji_sequence():
    family = width_of(text_ink("\U0001F468\u200d\U0001F469\u200d\U0001F467", "Family"))
    one = width_of(text_ink("\U0001F468", "One"))
    check(family < one * 1.5, f"a family of {family} px beside one person of {one} px")


def case_pressed_look_follows_pointer():
    proc = launch("text=Press", "caption=Press", "button=1")
    wid = find_window("Press", proc=proc)
    ok = button_centre(wid, 0, 2)
    inset = (ok[0] - 40, ok[1] - 10)  # inside the face, clear of the label
    shot = os.path.join(SCRATCH, "press.png")
    x("xdotool", "mousemove", "--window", wid, str(ok[0]), str(ok[1]), "mousedown", "1")
    looks = []
    for target in ((5, 5), ok):
        x("xdotool", "mousemove", "--window", wid, str(target[0]), str(target[1]))
        time.sleep(0.2)
        looks.append(pixels(wid, shot)[inset[1]][inset[0]])
    x("xdotool", "mousemove", "--window", wid, "5", "5", "mouseup", "1")
    pressed = (0xCC, 0xE4, 0xF7)
    check(looks[0] != pressed and looks[1] == pressed, f"faces off and over the button: {looks}")
    check(still_up(proc, 0.2), "released off the button, yet answered")
    type_keys(wid, ["Escape"])
    finish(proc)


def case_minimised_box_comes_back():
    proc = launch("text=Minimise", "caption=Minimise")
    wid = find_window("Minimise", proc=proc)
    # Back, it asks for the focus as the user would, or a window manager that keeps it elsewhere
    # (kwin) leaves Return going nowhere.
    watcher = neighbour("activations", wid, "1500") if NEIGHBOUR else None
    check(watcher is None or watcher.stdout.readline() == b"ready\n", "the watcher did not start")
    x("xdotool", "windowminimize", wid)
    time.sleep(0.5)
    state = x("xwininfo", "-id", wid)
    check("IsViewable" in state, "minimised, the box stayed away:\n" + state)
    if watcher:
        asked = int(watcher.communicate(timeout=5)[0])
        check(asked >= 1, "back, the box did not ask for the focus")
    # Left on another desktop, it stays there rather than pulling the user back.
    x("wmctrl", "-s", "1")
    time.sleep(0.5)
    away = x("xwininfo", "-id", wid)
    x("wmctrl", "-s", "0")
    time.sleep(0.3)
    check("IsViewable" not in away, "the box followed to another desktop:\n" + away)
    type_keys(wid, ["Return"])
    code, _ = finish(proc)
    check(code == IDOK, f"exit {code}")


def case_small_screen_at_192_dpi():
    """On 640 x 480 at 192 DPI the widest button set still fits, and a long text wraps to it."""
    server, name = start_xvfb("-noreset", screen=(640, 480))
    try:
        env = dict(os.environ, DISPLAY=name)
        subprocess.run(["xprop", "-root", "-f", "RESOURCE_MANAGER", "8s", "-set", "RESOURCE_MANAGER",
                        "Xft.dpi:\t192\n"], env=env, check=True, timeout=10)
        for text in ("Small", " ".join("word%d" % i for i in range(60))):
            proc, box = launch_on(name, "Small", "text=" + text, "button=6")
            width = int(box.split("x")[0])
            proc.kill()
            proc.wait()
            check(width <= 640, f"{len(text)} characters: a box {width} wide on 640")
    finally:
        server.kill()
        server.wait()


def case_two_monitors():
    """Two monitors side by side: an unowned box is centred on the one that holds the pointer, within
    the part GTK's work areas leave free of panels."""
    server, name = start_xvfb("-noreset", screen=(2560, 800))
    env = dict(os.environ, DISPLAY=name)
    try:
        for monitor in ("left 1280/338x800/211+0+0", "right 1280/338x800/211+1280+0"):
            subprocess.run(["xrandr", "--setmonitor", *monitor.split(), "none"], env=env, check=True, timeout=10)
        subprocess.run(["xdotool", "mousemove", "1900", "400"], env=env, check=True, timeout=10)
        for areas, centre in [(None, (1920, 400)), ("0,0,1280,800,1380,0,1180,700", (1970, 350))]:
            if areas:
                for prop, value in (("_NET_CURRENT_DESKTOP", "0"), ("_GTK_WORKAREAS_D0", areas)):
                    subprocess.run(["xprop", "-root", "-f", prop, "32c", "-set", prop, value], env=env, check=True,
                                   timeout=10)
            proc, box = launch_on(name, "Monitors", "text=Where am I?")
            try:
                size, left, top = box.split("+")[0], int(box.split("+")[1]), int(box.split("+")[2])
                width, height = (int(n) for n in size.split("x"))
                seen = (left + width / 2, top + height / 2)
                check(left >= 1280 and abs(seen[0] - centre[0]) <= 3 and abs(seen[1] - centre[1]) <= 3,
                      f"work areas {areas}: a box at {box}, centred on {seen}, not on {centre}")
            finally:
                proc.kill()
                proc.wait()
    finally:
        server.kill()
        server.wait()


def launch_on(display, caption, *args, timeout=10):
    """askbox on a display of its own (one started here); gives (process, "WxH+X+Y") once its
    window is up, found by its title in the display's tree."""
    proc = subprocess.Popen([PROGRAM, "caption=" + caption, *args], env=box_env(DISPLAY=display),
                            stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, start_new_session=True)
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        tree = subprocess.run(["xwininfo", "-root", "-tree"], env=dict(os.environ, DISPLAY=display),
                              capture_output=True, text=True).stdout
        box = next((line.split()[-2] for line in tree.splitlines() if '"%s"' % caption in line), None)
        if box is not None:
            return proc, box
        time.sleep(0.05)
    proc.kill()
    proc.wait()
    raise Failure(f"no box {caption!r} on {display}")


def text_case(text, caption, check_shape):
    proc = launch("text=" + text, "caption=" + caption)
    wid = find_window(caption, proc=proc)
    left, top, width, height = geometry(wid)
    check_shape(left, top, width, height)
    type_keys(wid, ["Return"])
    check(finish(proc)[0] == IDOK, "wrong answer")


def case_tall_text():
    def shape(left, top, width, height):
        check(top >= 0 and top + height <= SCREEN[1], f"box runs off the screen: top {top}, height {height}")
    text_case("\n".join("line %d" % i for i in range(200)), "Tall", shape)


def case_long_paragraph():
    def shape(left, top, width, height):
        check(width > height and width <= SCREEN[0], f"a long text made a {width} x {height} box")
    text_case(" ".join("word%d" % i for i in range(150)), "Wide", shape)


DESKTOP_CASES = [
    # where the desktop says it (X resources, or an XSETTINGS manager), what it says, how the box then
    # differs from the stock desktop's
    ("resources", "Xft.dpi:\t192\n", "doubled"),
    ("xsettings", "Xft/DPI 196608\n", "doubled"),
    ("resources", "Xft.antialias:\t0\n", "two-colour text"),
    ("xsettings", 'Net/ThemeName "Adwaita-dark"\n', "dark"),
]


def desktop_box(caption):
    """A box with an icon and one row of text: its size, its text rows' colours and its background."""
    proc = launch("text=Scaled with the display", "caption=" + caption, "icon=64")
    wid = find_window(caption, proc=proc)
    time.sleep(0.2)
    rows = pixels(wid, os.path.join(SCRATCH, "desktop.png"))
    type_keys(wid, ["Return"])
    finish(proc)
    text = {p for row in rows[14:44] for p in row[64:]}
    return (len(rows[0]), len(rows)), text, rows[5][5]


def luminance(rgb):
    def channel(value):
        value /= 255
        return value / 12.92 if value <= 0.03928 else ((value + 0.055) / 1.055) ** 2.4
    return 0.2126 * channel(rgb[0]) + 0.7152 * channel(rgb[1]) + 0.0722 * channel(rgb[2])


def desktop_case(source, settings, look):
    stock_size, stock_text, stock_back = desktop_box("Stock desktop")
    manager = None
    try:
        if source == "resources":
            subprocess.run(["xrdb", "-merge"], input=settings, text=True, env=dict(os.environ, DISPLAY=DISPLAY),
                           check=True, timeout=10)
        else:
            config = os.path.join(SCRATCH, "xsettingsd.conf")
            with open(config, "w") as out:
                out.write(settings)
            manager = subprocess.Popen(["xsettingsd", "-c", config], env=dict(os.environ, DISPLAY=DISPLAY),
                                       stderr=subprocess.PIPE, text=True)
            while "Took ownership" not in manager.stderr.readline():
                check(manager.poll() is None, "xsettingsd did not start")
        size, text, back = desktop_box("Desktop look")
    finally:
        # Later rows see the stock desktop again.
        if manager:
            manager.kill()
            manager.wait()
        x("xprop", "-root", "-remove", "RESOURCE_MANAGER")
    if look == "doubled":
        ratio = size[0] / stock_size[0], size[1] / stock_size[1]
        check(1.7 < ratio[0] < 2.3 and 1.7 < ratio[1] < 2.3, f"the box is {ratio} times as large")
    elif look == "two-colour text":
        check(len(stock_text) > 2 and len(text) == 2, f"{len(stock_text)} colours before, {len(text)} now")
    else:
        lightest = max(luminance(p) for p in text)
        contrast = (lightest + 0.05) / (luminance(back) + 0.05)
        check(luminance(stock_back) > 0.8 and luminance(back) < 0.05, f"background {stock_back} before, {back} now")
        check(contrast >= 4.5, f"text contrast {contrast:.1f}:1")


def pixels(wid, path):
    """The window's client area as rows of (r, g, b)."""
    x("import", "-window", wid, path, check_rc=True)
    data = subprocess.run(["convert", path, "-depth", "8", "ppm:-"], capture_output=True, timeout=10).stdout
    parts = data.split(b"\n", 3)
    width, height = map(int, parts[1].split())
    body = parts[3]
    return [[tuple(body[(y * width + x0) * 3:(y * width + x0) * 3 + 3]) for x0 in range(width)] for y in range(height)]


def colour_name(rgb):
    r, g, b = rgb
    if r > 200 and g > 200 and b > 200:
        return "white"
    if r < 70 and g < 70 and b < 70:
        return "dark"
    if r > 180 and g > 150 and b < 90:
        return "yellow"
    if r > 170 and g < 100 and b < 100:
        return "red"
    if b > 150 and r < 90:
        return "blue"
    return "other"


ICON_CASES = [("16", "red", "white"), ("32", "blue", "white"), ("48", "yellow", "dark"), ("64", "blue", "white")]


def icon_case(icon, shape, mark):
    caption = "Icon %s" % icon
    proc = launch("text=An icon", "caption=" + caption, "icon=" + icon)
    wid = find_window(caption, proc=proc)
    time.sleep(0.2)
    rows = pixels(wid, os.path.join(SCRATCH, "icon-%s.png" % icon))
    # The icon's square at 96 DPI: 32 pixels, 20 from the top left corner.
    counts = {}
    for y in range(20, 52):
        for x0 in range(20, 52):
            name = colour_name(rows[y][x0])
            counts[name] = counts.get(name, 0) + 1
    check(counts.get(shape, 0) > 300, f"too little {shape} in the icon: {counts}")
    check(counts.get(mark, 0) > 15, f"no {mark} mark in the icon: {counts}")
    # The title bar shows the same icon at the same size, not askbox's own.
    sizes = [line.strip() for line in x("xprop", "-id", wid, "_NET_WM_ICON").split("\t") if line.startswith("Icon (")]
    check(sizes == ["Icon (32 x 32):"], f"window manager's icons: {sizes}")
    type_keys(wid, ["Return"])
    finish(proc)


def case_text_bytes():
    """Bytes in the locale's character set, malformed ones and controls, as the window shows them."""
    for lang, caption, shown in [("C.ISO-8859-1", b"Caf\xe9", "Café"),
                                 ("C.UTF-8", b"A\xffB\x1b[2J", "A\ufffdB\ufffd[2J"),
                                 ("C.UTF-8", b"T\tab", "T ab")]:
        proc = subprocess.Popen([PROGRAM.encode(), b"text=x", b"caption=" + caption], env=box_env(LANG=lang),
                                stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, start_new_session=True)
        wid = find_window(shown, proc=proc)
        name = x("xprop", "-id", wid, "_NET_WM_NAME")
        check('"%s"' % shown in name, f"{caption!r} in {lang} shown as {name!r}")
        type_keys(wid, ["Return"])
        finish(proc)


# ---------------------------------------------------------------- the terminal's window

def in_xterm(title, command, extra_env=None):
    """Runs a shell command in a real xterm titled `title`, started with it as `xterm -e` starts
    it, perhaps before the window manager has taken the xterm on; gives (xterm process, its window)."""
    env = box_env(**(extra_env or {}))
    env.pop("WINDOWID", None)
    term = subprocess.Popen(["xterm", "-T", title, "-e", "sh", "-c", command], env=env,
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    deadline = time.monotonic() + 10
    while time.monotonic() < deadline:
        ids = [w for w in x("xdotool", "search", "--name", "^%s$" % title).split()
               if "XTerm" in x("xprop", "-id", w, "WM_CLASS")]
        if ids:
            return term, ids[0]
        time.sleep(0.05)
    term.kill()
    raise Failure("xterm did not come up")


def wm_state(wid):
    return x("xprop", "-id", wid, "WM_STATE")


def case_xterm_owner_title_and_hiding():
    result = os.path.join(SCRATCH, "xterm-result")
    term, xterm = in_xterm("Term Title", f'"{PROGRAM}" text=Owned mode=1 icon=32 button=4; echo $? > {result}')
    try:
        box = find_window("Term Title")  # no caption: the terminal's title
        transient = x("xprop", "-id", box, "WM_TRANSIENT_FOR")
        check(int(transient.split("#")[1], 16) == int(xterm), f"not transient for the xterm: {transient}")
        time.sleep(0.3)
        check("Iconic" in wm_state(xterm), f"xterm not iconified while the box is up: {wm_state(xterm)}")
        type_keys(box, ["n"])
        term.wait(5)
        check(open(result).read().strip() == str(IDNO), "wrong answer from the box in xterm")
    finally:
        if term.poll() is None:
            term.kill()


def case_xterm_not_owner_and_signal():
    term, xterm = in_xterm("Term Two", f'exec "{PROGRAM}" text=Unowned caption=Unowned mode=3')
    try:
        box = find_window("Unowned")
        check("not found" in x("xprop", "-id", box, "WM_TRANSIENT_FOR"), "mode 2 box has an owner")
        time.sleep(0.3)
        check("Iconic" in wm_state(xterm), "xterm not iconified in mode 3")
        pid = int(x("xprop", "-id", box, "_NET_WM_PID").split("=")[1])
        os.kill(pid, signal.SIGTERM)
        time.sleep(0.5)
        # The program is gone, and the xterm (which ends with it) was mapped again before that.
        check(not x("xdotool", "search", "--name", "^Unowned$").strip(), "box left behind after SIGTERM")
    finally:
        if term.poll() is None:
            term.kill()


def case_console_mapped_late():
    """A terminal started with askbox as its command may map its window only after askbox asked
    for it to be iconified; the window manager hears of no request for a window it has not taken on."""
    if NEIGHBOUR is None:
        raise Failure("needs the neighbour helper")
    proc = subprocess.Popen([NEIGHBOUR, "console", "500", PROGRAM, "text=Late", "caption=Late", "mode=1"],
                            env=box_env(), stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, start_new_session=True)
    box = find_window("Late", proc=proc)
    console = x("xdotool", "search", "--name", "^Late Console$").split()[0]
    deadline = time.monotonic() + 5
    while "window state" not in wm_state(console) and time.monotonic() < deadline:
        time.sleep(0.05)
    time.sleep(0.3)
    check("Iconic" in wm_state(console), f"console not iconified: {wm_state(console)}")
    type_keys(box, ["Return"])
    check(finish(proc)[0] == IDOK, "wrong answer")


def case_stale_windowid():
    for value in ("0x1fffffe", "0", "junk"):
        proc = launch("text=Stale", "caption=Stale", "mode=1", WINDOWID=value)
        wid = find_window("Stale", proc=proc)
        check("not found" in x("xprop", "-id", wid, "WM_TRANSIENT_FOR"), f"WINDOWID={value}: an owner")
        type_keys(wid, ["Return"])
        check(finish(proc)[0] == IDOK, f"WINDOWID={value}: wrong answer")


# ---------------------------------------------------------------- faults and fall-backs

def case_display_killed():
    # Without -noreset the server resets whenever xwininfo below is its only client and leaves: an
    # askbox connecting just then is refused, and rightly shows no window.
    server, name = start_xvfb("-noreset")
    try:
        proc, _ = launch_on(name, "Going", "text=Going", timeout=5)
    finally:
        server.kill()
        server.wait()
    started = time.monotonic()
    code, out = finish(proc, 3)
    check(code == 0 and out == b"MessageBox Failed\r\n", f"exit {code}, output {out!r}")
    check(time.monotonic() - started < 2, "took too long to notice")


def fallback_case(env_display, server_options=None, cookies=False):
    server = None
    if cookies:
        # The server takes only this cookie, and askbox is given none.
        cookie_file = os.path.join(SCRATCH, "cookies")
        subprocess.run(["xauth", "-f", cookie_file, "add", ":0", ".", "0123456789abcdef0123456789abcdef"],
                       capture_output=True, check=True)
        server_options = ["-auth", cookie_file]
    if server_options is not None:
        server, env_display = start_xvfb(*server_options)
    try:
        env = box_env(DISPLAY=env_display, TERM="xterm", XAUTHORITY=os.path.join(SCRATCH, "no-cookies"))
        p = PtyProcess([PROGRAM, "text=On the terminal", "caption=Fallback", "button=1"], env=env)
        try:
            check(p.read_until(b"Fallback", 5) is not None, f"no terminal box; output {bytes(p.output)[-200:]!r}")
            p.send(b"\x1b[C\r")
            check(p.wait(3) == IDCANCEL, "wrong answer from the terminal box")
            check(b"uthoriz" not in p.output, "Xlib's complaint reached the terminal")
        finally:
            p.close()
    finally:
        if server:
            server.kill()
            server.wait()


def case_no_display_no_terminal():
    proc = launch("text=Nowhere", DISPLAY=":9999")
    code, out = finish(proc)
    check(code == 0 and out == b"MessageBox Failed\r\n", f"exit {code}, output {out!r}")


# ---------------------------------------------------------------- hostile locales, displays and windows

def locale_box_case(locale, text):
    """Text a locale's decoder expands, or fails on at its last byte, still makes a box."""
    proc = launch(b"text=" + text, "caption=Codeset", LANG=locale)
    wid = find_window("Codeset", proc=proc)
    type_keys(wid, ["Return"])
    check(finish(proc)[0] == IDOK, "wrong answer")


def case_foreign_windowid():
    """A WINDOWID window whose pid is of the wrong format, or that names none, is nobody's console."""
    term, xterm = in_xterm("Foreign", "sleep 60")
    try:
        for change in (["-f", "_NET_WM_PID", "8c", "-set", "_NET_WM_PID", "5"], ["-remove", "_NET_WM_PID"]):
            x("xprop", "-id", xterm, *change, check_rc=True)
            before = set(x("xdotool", "search", "--class", "Askbox").split())
            proc = launch("text=Whose", "mode=1", WINDOWID=xterm)
            deadline = time.monotonic() + 5
            while not (set(x("xdotool", "search", "--class", "Askbox").split()) - before):
                check(time.monotonic() < deadline and proc.poll() is None, f"{change}: no box")
                time.sleep(0.05)
            box = (set(x("xdotool", "search", "--class", "Askbox").split()) - before).pop()
            time.sleep(0.3)
            check("Foreign" not in x("xprop", "-id", box, "_NET_WM_NAME"), f"{change}: its title taken")
            check("not found" in x("xprop", "-id", box, "WM_TRANSIENT_FOR"), f"{change}: made the owner")
            check("Iconic" not in wm_state(xterm), f"{change}: the other window iconified")
            type_keys(box, ["Return"])
            check(finish(proc)[0] == IDOK, f"{change}: wrong answer")
    finally:
        term.kill()
        term.wait()


def silent_listener(kind):
    """A socket that takes connections and never answers; gives (socket, DISPLAY)."""
    for number in range(60, 100):
        try:
            if kind == "unix":
                path = "/tmp/.X11-unix/X%d" % number
                if os.path.exists(path):
                    continue
                os.makedirs("/tmp/.X11-unix", exist_ok=True)
                listener = socket.socket(socket.AF_UNIX)
                listener.bind(path)
                listener.listen(8)
                return listener, ":%d" % number
            listener = socket.socket()
            listener.bind(("127.0.0.1", 6000 + number))
            listener.listen(8)
            return listener, "127.0.0.1:%d" % number
        except OSError:
            continue
    raise Failure("no free display number for a listener")


def shows_no_window(display, with_terminal, timeout):
    """With the display taken for none: the terminal box where there is a terminal, else 0."""
    if with_terminal:
        p = PtyProcess([PROGRAM, "text=Late", "caption=Silent"], env=box_env(DISPLAY=display, TERM="xterm"))
        try:
            check(p.read_until(b"Silent", timeout) is not None, "no terminal box")
            p.send(b"\r")
            check(p.wait(3) == IDOK, "wrong answer from the terminal box")
        finally:
            p.close()
    else:
        code, out = finish(launch("text=Late", DISPLAY=display), timeout + 2)
        check(code == 0 and out == b"MessageBox Failed\r\n", f"exit {code}, output {out!r}")


def silent_display_case(kind, with_terminal):
    """A display that never answers costs its three seconds, then the terminal box or 0."""
    server, listener = None, None
    if kind == "stopped":
        server, name = start_xvfb()
        server.send_signal(signal.SIGSTOP)
    else:
        listener, name = silent_listener(kind)
    try:
        started = time.monotonic()
        shows_no_window(name, with_terminal, 6)
        elapsed = time.monotonic() - started
        check(2.5 < elapsed < 5, f"gave up after {elapsed:.1f} s")
    finally:
        if listener:
            if kind == "unix":
                os.unlink(listener.getsockname())
            listener.close()
        if server:
            server.kill()
            server.wait()


def case_huge_display_number():
    started = time.monotonic()
    code, out = finish(launch("text=Far", DISPLAY="localhost:2147483647"), 8)
    check(code == 0 and out == b"MessageBox Failed\r\n", f"exit {code}, output {out!r}")
    check(time.monotonic() - started < 5, "took too long")


def case_key_held_before():
    """A key held down before the box appears is no answer, however long it repeats."""
    x("xdotool", "keydown", "Return", check_rc=True)
    try:
        proc = launch("text=Held", "caption=Held", "button=1")
        wid = find_window("Held", proc=proc)
        check(still_up(proc, 1.0), "a key held before the box answered it")
    finally:
        x("xdotool", "keyup", "Return")
    check(still_up(proc, 0.2), "letting the key go answered the box")
    type_keys(wid, ["Tab", "Return"])
    check(finish(proc)[0] == IDCANCEL, "wrong answer")


def case_window_under_valgrind():
    """The window's whole path, fonts and properties included, with memcheck watching every byte:
    the box driver is linked the ordinary way, so valgrind follows its C library."""
    if DRIVER is None or shutil.which("valgrind") is None:
        raise Failure("needs the box driver and valgrind")
    suppressions = os.path.join(os.path.dirname(os.path.abspath(__file__)), "valgrind.supp")
    proc = subprocess.Popen(["valgrind", "-q", "--error-exitcode=99", "--suppressions=" + suppressions, DRIVER, "1",
                             "Under memcheck", "Memcheck"],
                            env=box_env(), stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                            stderr=subprocess.PIPE, start_new_session=True)
    wid = find_window("Memcheck", timeout=60, proc=proc)
    type_keys(wid, ["Tab", "Return"])
    try:
        out, err = proc.communicate(timeout=60)
    except subprocess.TimeoutExpired:
        proc.kill()
        raise Failure("the box under valgrind did not end")
    check(proc.returncode == IDCANCEL, f"exit {proc.returncode}: {err.decode(errors='replace')[-2000:]}")


def bad_screen_case(screen, with_terminal):
    """A screen number the display does not have is no display: the terminal box, else 0."""
    shows_no_window("%s.%s" % (DISPLAY, screen), with_terminal, 5)


def neighbour(*args):
    return subprocess.Popen([NEIGHBOUR, *args], env=dict(os.environ, DISPLAY=DISPLAY), stdout=subprocess.PIPE)


def end_with_usage(proc, timeout):
    """Waits for askbox; gives its exit code and the most memory it held, in MB."""
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        pid, status, usage = os.wait4(proc.pid, os.WNOHANG)
        if pid:
            proc.returncode = os.waitstatus_to_exitcode(status)
            return proc.returncode, usage.ru_maxrss / 1024
        time.sleep(0.02)
    proc.kill()
    proc.wait()
    raise Failure(f"askbox did not end within {timeout} s")


def storm_case(mode, copied):
    """Another client's flood of events neither stretches a one-second box nor makes it grow."""
    if NEIGHBOUR is None:
        raise Failure("needs the neighbour helper")
    caption = "Storm %s" % mode
    launched = time.monotonic()
    proc = launch("text=Flooded", "caption=" + caption, "timeout=1" if not copied else "timeout=2")
    wid = find_window(caption, proc=proc)
    if copied:
        type_keys(wid, ["ctrl+c"])
    started = time.monotonic()
    flood = neighbour(*([mode, wid, "1500"] if mode != "converts" else [mode, "1500"]))
    try:
        code, megabytes = end_with_usage(proc, 6)
    finally:
        flood.wait(10)
    elapsed = time.monotonic() - started
    # Seen from here: the flood leaves this process little of the machine until it stops.
    print(f"      the box was seen to end {elapsed:.2f} s into the 1.5 s flood, {time.monotonic() - launched:.2f} s"
          f" after it started, holding at most {megabytes:.0f} MB", flush=True)
    check(code == IDOK, f"exit {code}")
    check(elapsed < 3, "the flood held the box past its time limit")
    # The address checks' own shadow memory is not the box's.
    check(megabytes < (64 if "--hostile-only" not in sys.argv else 512), f"the box grew to {megabytes:.0f} MB")


def stopped_server_case(how, freeze="stop"):
    """A server that stops answering, stopped or grabbed by another client while the box waits for
    a reply, holds neither a signal nor the time limit."""
    server, name = start_xvfb("-noreset")
    grab = None
    try:
        proc, box = launch_on(name, "Frozen", "text=Frozen", "timeout=2", timeout=5)
        started = time.monotonic()
        if freeze == "stop":
            server.send_signal(signal.SIGSTOP)
        else:
            wid = subprocess.run(["xdotool", "search", "--name", "Frozen"], env=dict(os.environ, DISPLAY=name),
                                 capture_output=True, text=True).stdout.split()[0]
            grab = subprocess.Popen([NEIGHBOUR, "grab", wid, "5000"], env=dict(os.environ, DISPLAY=name))
            time.sleep(0.1)
        if how == "signal":
            proc.send_signal(signal.SIGTERM)
        try:
            proc.wait(3)
        except subprocess.TimeoutExpired:
            proc.kill()
            proc.wait()
            raise Failure("askbox waited for the stopped server")
        elapsed = time.monotonic() - started
        if how == "signal":
            check(proc.returncode == -signal.SIGTERM and elapsed < 1.5, f"exit {proc.returncode} after {elapsed:.1f} s")
        else:
            check(proc.returncode == IDOK and elapsed < 2.6, f"exit {proc.returncode} after {elapsed:.1f} s")
    finally:
        server.send_signal(signal.SIGCONT)
        if grab is not None:
            grab.kill()
            grab.wait()
        server.kill()
        server.wait()


def case_answer_outlives_connection():
    """The answer given stands when a clipboard manager cuts the connection as the box hands over."""
    if MANAGER is None:
        raise Failure("needs the clipboard manager helper")
    manager = subprocess.Popen([MANAGER, "--cut"], env=dict(os.environ, DISPLAY=DISPLAY), stdout=subprocess.PIPE)
    try:
        check(manager.stdout.readline() == b"ready\n", "the manager did not start")
        proc = launch("text=Answered", "caption=Cut off", "button=1")
        wid = find_window("Cut off", proc=proc)
        type_keys(wid, ["ctrl+c", "Return"])
        code, out = finish(proc)
        check(code == IDOK and out == b"", f"exit {code}, output {out!r}")
    finally:
        manager.kill()
        manager.wait()


HOSTILE_CASES = [
    ("TSCII text that expands past three bytes a byte", lambda: locale_box_case("ta_IN.TSCII", b"\x82\xa0\x82\x82")),
    ("ISO-2022-CN-EXT text ending in a shift", lambda: locale_box_case("zh_CN.ISO-2022-CN-EXT", b"abc def\x0e")),
    ("WINDOWID with a pid of format 8, or none", case_foreign_windowid),
    ("a unix socket that never answers", lambda: silent_display_case("unix", False)),
    ("a TCP port that never answers", lambda: silent_display_case("tcp", False)),
    ("a stopped X server: the terminal box", lambda: silent_display_case("stopped", True)),
    ("display number 2147483647", case_huge_display_number),
    ("a key held before the box appears", case_key_held_before),
    ("screen -1 of the display: MessageBox Failed", lambda: bad_screen_case("-1", False)),
    ("screen 4294967295 of the display: the terminal box", lambda: bad_screen_case("4294967295", True)),
    ("screen 2147483648 of the display: MessageBox Failed", lambda: bad_screen_case("2147483648", False)),
    ("screen 1 of a one-screen display: MessageBox Failed", lambda: bad_screen_case("1", False)),
    ("a flood of selection requests", lambda: storm_case("requests", False)),
    ("a flood of clipboard requests after Ctrl+C", lambda: storm_case("converts", True)),
    ("an unmap, then a flood of state changes", lambda: storm_case("state", False)),
    ("a stopped server holds no SIGTERM", lambda: stopped_server_case("signal")),
    ("a stopped server holds no time limit", lambda: stopped_server_case("timeout")),
    ("a server grabbed by another holds no SIGTERM", lambda: stopped_server_case("signal", "grab")),
    ("a server grabbed by another holds no time limit", lambda: stopped_server_case("timeout", "grab")),
    ("the answer outlives a connection cut during the hand-over", case_answer_outlives_connection),
]
if "--valgrind" in sys.argv:
    HOSTILE_CASES.append(("the window under valgrind memcheck", case_window_under_valgrind))


def start_desktop():
    """Xvfb with openbox on it; another display number is tried where a display started at the
    same moment by someone else took the one chosen. Gives (server, window manager, log path)."""
    global DISPLAY
    log_path = os.path.join(SCRATCH, "openbox.log")
    for _ in range(3):
        server, DISPLAY = start_xvfb()
        with open(log_path, "w") as log:
            wm = subprocess.Popen(["openbox"], env=dict(os.environ, DISPLAY=DISPLAY, HOME=SCRATCH),
                                  stdout=log, stderr=log)
        deadline = time.monotonic() + 10
        while wm.poll() is None and time.monotonic() < deadline:
            if "window id" in x("xprop", "-root", "_NET_SUPPORTING_WM_CHECK"):
                time.sleep(0.5)  # openbox announces itself before it has finished starting
                return server, wm, log_path
            time.sleep(0.1)
        wm.kill()
        server.kill()
        server.wait()
    raise Failure("openbox did not start: %s" % open(log_path).read())


def run_cases(cases, server, wm, wm_log):
    """Runs every case on the desktop, then takes the desktop down; gives the exit code."""
    passed = failed = 0
    try:
        for name, run in cases:
            try:
                run()
                passed += 1
                print(f"PASS  {name}", flush=True)
            except Exception as error:  # a broken case must not hide the ones after it
                failed += 1
                print(f"FAIL  {name}: {error}", flush=True)
                if wm.poll() is not None:
                    print("openbox ended: %s" % open(wm_log).read(), flush=True)
    finally:
        wm.kill()
        server.kill()
        shutil.rmtree(SCRATCH, ignore_errors=True)
    print(f"{passed} passed, {failed} failed")
    return 1 if failed else 0


def main():
    global PROGRAM, DRIVER, MANAGER, NEIGHBOUR
    PROGRAM = os.path.abspath(sys.argv[1])
    if "--manager" in sys.argv:
        MANAGER = os.path.abspath(sys.argv[sys.argv.index("--manager") + 1])
    if "--neighbour" in sys.argv:
        NEIGHBOUR = os.path.abspath(sys.argv[sys.argv.index("--neighbour") + 1])
    if "--valgrind" in sys.argv:
        DRIVER = os.path.abspath(sys.argv[sys.argv.index("--valgrind") + 1])
    missing = [tool for tool in TOOLS if shutil.which(tool) is None]
    if missing:
        print("SKIPPED: the X tests need %s (scripts/test-all.sh installs them)" % ", ".join(missing))
        return 77
    try:
        server, wm, wm_log = start_desktop()
    except Failure as error:
        print(error)
        print("0 passed, 1 failed")
        return 1
    cases = [("keys: %s %s %s" % (style, keys, env[0]["LANG"] if env else ""),
              lambda s=style, k=keys, a=answer, e=env: key_case(s, k, a, *e))
             for style, keys, answer, *env in KEY_CASES]
    cases += [("timeout=%s on button=%s" % (c[1], c[0]), lambda c=c: timeout_case(*c)) for c in TIMEOUT_CASES]
    cases += [("Ctrl+C copies: %s" % c[1], lambda c=c: copy_case(*c)) for c in COPY_CASES]
    cases += [("the copy goes to a clipboard manager as the box closes", case_copy_handed_to_manager)]
    cases += [("close request on OK", lambda: close_case("0", IDOK)),
              ("close request on OK/Cancel", lambda: close_case("1", IDCANCEL)),
              ("close request on Yes/No is refused", lambda: close_case("4", None)),
              ("close request on Abort/Retry/Ignore is refused", lambda: close_case("2", None)),
              ("mouse: press and release on one button", case_click),
              ("dialog properties, focus and place", case_properties),
              ("text taller than the screen keeps the buttons on it", case_tall_text),
              ("a long paragraph makes a wide box, not a tower", case_long_paragraph)]
    cases += [("%s %r: %s" % c, lambda c=c: desktop_case(*c)) for c in DESKTOP_CASES]
    cases += [("icon %s: %s with %s" % c, lambda c=c: icon_case(*c)) for c in ICON_CASES]
    cases += [("style %s: %s %s %r" % (c[0], c[1], "has" if c[3] else "lacks", c[2]), lambda c=c: style_case(*c))
              for c in STYLE_CASES]
    cases += [("mirrored and right-aligned boxes", case_mirrored_and_right),
              ("a pressed button looks pressed only under the pointer", case_pressed_look_follows_pointer),
              ("a minimised unowned box comes back", case_minimised_box_comes_back),
              ("640 x 480 at 192 DPI: the box fits", case_small_screen_at_192_dpi),
              ("two monitors: centred on the pointer's, within its work area", case_two_monitors),
              ("Hebrew reads from the right", case_right_to_left_text),
              ("a joined Arabic word is narrower than its letters apart", case_joined_arabic),
              ("an Arabic label is joined as the word in the text", case_arabic_label),
              ("a ZWJ family is one emoji wide", case_emoji_sequence)]
    cases += [("locale bytes, malformed bytes and controls in the title", case_text_bytes),
              ("xterm: owner, title and iconified in mode 1", case_xterm_owner_title_and_hiding),
              ("xterm: mode 3 has no owner; SIGTERM ends the box", case_xterm_not_owner_and_signal),
              ("a console mapped after askbox started is iconified", case_console_mapped_late),
              ("stale or bad WINDOWID", case_stale_windowid),
              ("display killed while the box is up gives 0 at once", case_display_killed),
              ("no server on DISPLAY: terminal box", lambda: fallback_case(":9999")),
              ("server without RENDER: terminal box", lambda: fallback_case(None, ["-extension", "RENDER"])),
              ("server refusing the connection: terminal box",
               lambda: fallback_case(None, cookies=True)),
              ("no display, no terminal: MessageBox Failed", case_no_display_no_terminal)]
    # Under the address checks only these run: the everyday cases would add nothing but time.
    cases = HOSTILE_CASES if "--hostile-only" in sys.argv else cases + HOSTILE_CASES
    return run_cases(cases, server, wm, wm_log)


if __name__ == "__main__":
    sys.exit(main())
