#!/usr/bin/env python3
"""End-to-end cases for the terminal message box, run through a pty against tests/e2e/box_driver."""

import base64
import os
import re
import signal
import subprocess
import sys
import termios
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from ptyrun import PtyProcess, Screen, TmuxPane  # noqa: E402

DRIVER = None
ESC = "ESC"      # a lone Esc: sent on its own, then a pause longer than the box waits for more
PAUSE = "PAUSE"  # the box must still be up after a while
DRAWN = re.compile(rb"\xe2\x94\x98|(\r\n|H)\+-+\+")  # the bottom-right corner ends every draw
BASE_ENV = {"PATH": os.environ.get("PATH", "/usr/bin:/bin"), "TERM": "xterm", "LANG": "C.UTF-8"}

# The catalogs of the build tree, where CMake built them; a language's labels need them.
CATALOGS = {"ASKBOX_TEST_LOCALEDIR": os.environ.get("ASKBOX_TEST_LOCALEDIR", "/nonexistent: built without msgfmt")}
GERMAN = dict(CATALOGS, LANG="de_DE.UTF-8")
FRENCH = dict(CATALOGS, LANG="fr_FR.UTF-8")
JAPANESE = dict(CATALOGS, LANG="ja_JP.UTF-8")

IDOK, IDCANCEL, IDABORT, IDRETRY, IDIGNORE, IDYES, IDNO, IDTRYAGAIN, IDCONTINUE = 1, 2, 3, 4, 5, 6, 7, 10, 11
RIGHT, LEFT, UP, DOWN, BACKTAB = b"\x1b[C", b"\x1b[D", b"\x1b[A", b"\x1b[B", b"\x1b[Z"


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def spawn(style, text="Text", caption="Caption", options=(), rows=24, cols=80, env=None,
          prefix=None, **kwargs):
    argv = [DRIVER, style, text, caption, *options]
    if prefix is not None:
        argv = ["sh", "-c", 'printf "%b" "$0"; exec "$@"', prefix, *argv]
    environment = dict(BASE_ENV)
    environment.update(env or {})
    return PtyProcess(argv, rows=rows, cols=cols, env=environment, **kwargs)


def distinctive_modes(p):
    """Leaves a few unusual settings on the terminal, so a restore to 'sane' defaults shows up."""
    modes = p.modes()
    modes[3] &= ~termios.ECHOE
    modes[6] = list(modes[6])
    modes[6][termios.VEOF] = b"\x01"
    p.set_modes(modes)
    # Read here, before the child starts: once it runs, the terminal is in its raw mode.
    p.start_modes = p.modes()
    return p.start_modes


def wait_box(p, what="box"):
    check(p.read_until(DRAWN, timeout=3) is not None, f"no {what} drawn; output {bytes(p.output)[-200:]!r}")


def stall(p):
    """Nobody reads the terminal any more (a stalled ssh link): output stops, and a resize makes the
    box draw into it."""
    termios.tcflow(p.slave, termios.TCOOFF)
    p.resize(24, 60)
    time.sleep(0.3)


def press(p, keys):
    for key in keys:
        if key == ESC:
            p.send(b"\x1b")
            time.sleep(0.15)
        elif key == PAUSE:
            time.sleep(0.25)
            check(p.alive(), "box closed although the key has no meaning here")
        else:
            p.send(key)
            time.sleep(0.02)


# ---------------------------------------------------------------- answers from keys

KEY_CASES = [
    # name, style, keys, answer
    ("OK: Enter", "0", [b"\r"], IDOK),
    ("OK: Space", "0", [b" "], IDOK),
    ("OK: line feed", "0", [b"\n"], IDOK),
    ("OK: Esc", "0", [ESC], IDOK),
    ("OK: letters do nothing", "0", [b"o", b"k", PAUSE, b"\r"], IDOK),
    ("OK/Cancel: Enter", "1", [b"\r"], IDOK),
    ("OK/Cancel: Esc", "1", [ESC], IDCANCEL),
    ("OK/Cancel: Tab then Enter", "1", [b"\t", b"\r"], IDCANCEL),
    ("OK/Cancel: c is no accelerator", "1", [b"c", PAUSE, b"\r"], IDOK),
    ("Abort/Retry/Ignore: a", "2", [b"a"], IDABORT),
    ("Abort/Retry/Ignore: R", "2", [b"R"], IDRETRY),
    ("Abort/Retry/Ignore: i", "2", [b"i"], IDIGNORE),
    ("Abort/Retry/Ignore: Esc does nothing", "2", [ESC, PAUSE, b"\r"], IDABORT),
    ("Yes/No/Cancel: y", "3", [b"y"], IDYES),
    ("Yes/No/Cancel: N", "3", [b"N"], IDNO),
    ("Yes/No/Cancel: Esc", "3", [ESC], IDCANCEL),
    ("Yes/No/Cancel: Shift-Tab wraps to Cancel", "3", [BACKTAB, b"\r"], IDCANCEL),
    ("Yes/No/Cancel: Up (SS3) wraps to Cancel", "3", [b"\x1bOA", b" "], IDCANCEL),
    ("Yes/No/Cancel: three Tabs in one read wrap to Yes", "3", [b"\t\t\t", b"\r"], IDYES),
    ("Yes/No: Esc does nothing, then n", "4", [ESC, PAUSE, b"n"], IDNO),
    ("Yes/No: Right", "4", [RIGHT, b"\r"], IDNO),
    ("Yes/No: Right (SS3)", "4", [b"\x1bOC", b"\r"], IDNO),
    ("Yes/No: Down", "4", [DOWN, b"\r"], IDNO),
    ("Yes/No: Right then Left", "4", [RIGHT, LEFT, b"\r"], IDYES),
    ("Yes/No: Ctrl-Right moves like Right", "4", [b"\x1b[1;5C", b"\r"], IDNO),
    ("Yes/No: unknown sequences ignored", "4", [b"\x1b[15~", b"\x1bOP", b"\x1bx", b"\x1b[200~", PAUSE, b"\r"], IDYES),
    ("Yes/No: typed UTF-8 ignored", "4", ["é".encode(), PAUSE, b"y"], IDYES),
    ("Retry/Cancel: r", "5", [b"r"], IDRETRY),
    ("Retry/Cancel: Esc", "5", [ESC], IDCANCEL),
    ("Retry/Cancel: Left wraps to Cancel", "5", [LEFT, b"\r"], IDCANCEL),
    ("Cancel/Try/Continue: Enter on Cancel", "6", [b"\r"], IDCANCEL),
    ("Cancel/Try/Continue: t", "6", [b"t"], IDTRYAGAIN),
    ("Cancel/Try/Continue: C is Continue", "6", [b"C"], IDCONTINUE),
    ("Cancel/Try/Continue: Esc", "6", [ESC], IDCANCEL),
    ("default button 2 on Yes/No", "104", [b"\r"], IDNO),
    ("default button 3 on Yes/No/Cancel", "203", [b"\r"], IDCANCEL),
    ("default button 2 then Tab", "106", [b"\t", b"\r"], IDCONTINUE),
    ("default button 4 beyond three is the first", "302", [b"\r"], IDABORT),
    ("default button 3 beyond two is the first", "201", [b" "], IDOK),
    ("other style bits do not matter", "41034", [b"\r"], IDYES),
    ("mirrored Yes/No/Cancel: Left goes to No", "100003", [LEFT, b"\r"], IDNO),
    ("German Yes/No/Cancel: j", "3", [b"j"], IDYES, GERMAN),
    ("German Yes/No/Cancel: y does nothing, then N", "3", [b"y", PAUSE, b"N"], IDNO, GERMAN),
    ("German Abort/Retry/Ignore: w", "2", [b"w"], IDRETRY, GERMAN),
    ("French Cancel/Try/Continue: r", "6", [b"r"], IDTRYAGAIN, FRENCH),
    ("Japanese Yes/No: the letter after the word, n", "4", [b"n"], IDNO, JAPANESE),
    ("LANGUAGE before LANG: French o", "4", [b"o"], IDYES, dict(GERMAN, LANGUAGE="fr")),
    ("LANGUAGE does not count in the C locale: y", "4", [b"y"], IDYES, dict(CATALOGS, LANG="C", LANGUAGE="de")),
]


def run_key_case(style, keys, answer, env=None):
    p = spawn(style, before_start=distinctive_modes, env=env)
    try:
        before = p.start_modes
        wait_box(p)
        press(p, keys)
        code = p.wait(3)
        check(code == answer, f"exit {code}, wanted {answer}")
        check(p.modes() == before, "terminal modes differ after the box")
        check(p.output.endswith(b"\x1b[?25h"), "cursor not shown again at the end")
    finally:
        p.close()


TIMEOUT_CASES = [
    # name, style, seconds, keys, answer, the default button's label at the start (None: the
    # limit is not to end the box)
    ("OK left alone is OK", "0", 2, [], IDOK, "OK (2)"),
    ("Yes/No with No as default left alone is No", "104", 2, [], IDNO, "No (2)"),
    ("the default stays the default where the focus went", "4", 2, [RIGHT], IDYES, "Yes (2)"),
    ("twelve seconds: two digits in the widest label", "6", 12, [b"t"], IDTRYAGAIN, None),
    ("answered before the limit", "3", 5, [b"n"], IDNO, None),
    ("Esc before the limit", "1", 5, [ESC], IDCANCEL, None),
    ("the limit ends a box that nobody reads", "0", 1, [stall], IDOK, None),
    ("no limit at 0", "1", 0, [PAUSE, PAUSE, PAUSE, PAUSE, b"\t", b"\r"], IDCANCEL, None),
]


def timeout_case(style, seconds, keys, answer, label):
    p = spawn(style, "Wait", "T", ["timeout=%d" % seconds], before_start=distinctive_modes)
    try:
        started = time.monotonic()
        wait_box(p)
        if keys == [stall]:
            stall(p)
            code = p.wait(seconds + 2)
            check(code == answer, f"exit {code}, wanted {answer}")
            check(p.modes() == p.start_modes, "terminal modes differ after the box")
            return
        p.settle(0.05, 0.3)
        up = Screen(24, 80)
        up.feed(p.output)
        shown = up.text()
        if seconds:
            check("(%d)" % seconds in shown,
                  f"no seconds left on the default button: {up.lines()[:8]}")
        else:
            check("(" not in shown, f"a hint without a limit: {up.lines()[:8]}")
        press(p, keys)
        if label is not None:
            check(label in shown, f"{label!r} not on the screen: {up.lines()[:8]}")
            time.sleep(max(0, started + seconds - 0.5 - time.monotonic()))
            p.settle(0.05, 0.2)
            later = Screen(24, 80)
            later.feed(p.output)
            check(label.replace("(%d)" % seconds, "(1)") in later.text(), f"no count down: {later.lines()[:8]}")
        code = p.wait(seconds + 3)
        elapsed = time.monotonic() - started
        check(code == answer, f"exit {code}, wanted {answer}")
        if label is not None:
            check(seconds - 0.1 < elapsed < seconds + 1.0, f"ended after {elapsed:.2f} s, limit {seconds} s")
        else:
            check(elapsed < max(seconds, 1.5), f"ended after {elapsed:.2f} s")
        check(p.modes() == p.start_modes, "terminal modes differ after the box")
        check(p.output.endswith(b"\x1b[?25h"), "cursor not shown again at the end")
    finally:
        p.close()


DASHES = "-" * 27 + "\n"
COPY_CASES = [
    # name, style, text, caption, driver options, environment, the copy between the first and
    # last dashes, the answer to Enter after it
    ("OK/Cancel on xterm", "1", "Disk is full", "Backup", [], {},
     "Backup\n" + DASHES + "Disk is full\n" + DASHES + "OK   Cancel   \n", IDOK),
    ("Yes/No/Cancel, two lines, on tmux", "203", "Two\nlines", "Q", [], {"TERM": "tmux-256color"},
     "Q\n" + DASHES + "Two\nlines\n" + DASHES + "Yes   No   Cancel   \n", IDCANCEL),
    ("a Latin-1 locale copies UTF-8", "0", "caf\xe9".encode("latin-1"), "\xe9t\xe9".encode("latin-1"), [],
     {"LANG": "en_US.ISO-8859-1"}, "\xe9t\xe9\n" + DASHES + "caf\xe9\n" + DASHES + "OK   \n", IDOK),
    ("controls copied as U+FFFD, as the window copies them", "0", b"rm\x1b[201~\x07x\r\ny", b"C\tp", [], {},
     "C p\n" + DASHES + "rm\ufffd[201~\ufffdx\ny\n" + DASHES + "OK   \n", IDOK),
    ("with a time limit the copy has the plain label", "0", "T", "C", ["timeout=30"], {},
     "C\n" + DASHES + "T\n" + DASHES + "OK   \n", IDOK),
    ("German Yes/No/Cancel", "3", "T", "C", [], GERMAN, "C\n" + DASHES + "T\n" + DASHES + "Ja   Nein   Abbrechen   \n",
     IDYES),
]


def copy_case(style, text, caption, options, env, copied, answer):
    p = spawn(style, text, caption, options, env=env)
    try:
        wait_box(p)
        mark = len(p.output)
        p.send(b"\x03")
        p.settle(0.1, 1)
        check(p.alive(), "Ctrl+C ended the box")
        found = re.search(rb"\x1b\]52;c;([A-Za-z0-9+/=]*)\x07", bytes(p.output[mark:]))
        check(found is not None, f"no OSC 52 after Ctrl+C: {bytes(p.output[mark:])[:80]!r}")
        got = base64.b64decode(found.group(1)).decode("utf-8")
        check(got == DASHES + copied + DASHES, f"copied {got!r}")
        p.send(b"\r")
        code = p.wait(3)
        check(code == answer, f"exit {code} after Enter, wanted {answer}")
    finally:
        p.close()


# ---------------------------------------------------------------- what the screen shows

def box_rows(screen):
    """(row, text) of the lines that belong to the box."""
    return [(i, line) for i, line in enumerate(screen.lines()) if line.lstrip()[:1] in ("┌", "│", "└", "+", "|")]


def cells(screen, row):
    return [cell[0] for cell in screen.grid[row]]


def right_border(screen, row):
    line = cells(screen, row)
    for col in range(len(line) - 1, -1, -1):
        if line[col] in ("┐", "│", "┘", "+", "|"):
            return col
    return -1


def shown_with_answer(style, text, caption, options=(), keys=(b"\r",), answer=None, **kwargs):
    """Runs a box, returns (process, screen while up, screen after it closed)."""
    p = spawn(style, text, caption, options, **kwargs)
    rows, cols = kwargs.get("rows", 24), kwargs.get("cols", 80)
    wait_box(p)
    p.settle(0.05, 1)
    up = Screen(rows, cols)
    up.feed(p.output)
    press(p, keys)
    code = p.wait(3)
    if answer is not None:
        check(code == answer, f"exit {code}, wanted {answer}")
    after = Screen(rows, cols)
    after.feed(p.output)
    return p, up, after


def case_inline_restores_content():
    p, up, after = shown_with_answer("0", "Hello", "Title", prefix="first\\nprompt> ", answer=IDOK)
    try:
        check(up.line(0) == "first" and up.line(1) == "prompt>", f"prior lines changed: {up.lines()[:2]}")
        check(up.line(2).startswith("┌─ Title "), f"box not right below the cursor: {up.line(2)!r}")
        check(not up.cursor_visible, "cursor visible while the box is up")
        check(after.lines()[:2] == ["first", "prompt>"] and not any(after.lines()[2:]),
              f"screen after: {after.lines()[:10]}")
        check((after.y, after.x) == (1, 8), f"cursor at {(after.y, after.x)}, wanted (1, 8)")
        check(after.cursor_visible and after.autowraps == 0, "cursor hidden or a row wrapped")
    finally:
        p.close()


def case_inline_scrolls_at_bottom():
    prior = "".join(f"line {i}\\n" for i in range(30)) + "$ "
    p, up, after = shown_with_answer("4", "Scroll?", "S", prefix=prior, keys=(b"n",), answer=IDNO)
    try:
        rows = box_rows(up)
        check(rows and rows[-1][1].startswith("└"), f"box bottom not on screen: {up.lines()}")
        check(up.line(rows[0][0] - 1) == "$", "prompt line not just above the box")
        check(after.line(after.y) == "$" and after.x == 2, f"cursor at {(after.y, after.x)} on {after.line(after.y)!r}")
        check(after.line(after.y - 1) == "line 29", "line above the prompt lost")
        check(not any(after.lines()[after.y + 1:]), "box remains after closing")
    finally:
        p.close()


LONG = ("The quick brown fox jumps over the lazy dog while the sleepy cat watches from "
        "a warm windowsill and wonders why anyone would run. Supercalifragilisticexpialidocious-"
        "and-then-some-more-unbroken-text ends it.")


def case_wraps_on_forty_columns():
    p, up, _ = shown_with_answer("6", LONG, "Wrapping", cols=40, answer=IDCANCEL)
    try:
        rows = box_rows(up)
        check(len(rows) >= 8, f"text not wrapped into rows: {up.lines()}")
        check(up.autowraps == 0, "the terminal had to wrap a row")
        borders = {right_border(up, r) for r, _ in rows}
        check(len(borders) == 1 and borders.pop() <= 39, f"right border ragged: {[l for _, l in rows]}")
        text_rows = [l.strip("│ ") for _, l in rows if "[" not in l and l[:1] == "│"]
        check("".join("".join(text_rows).split()) == "".join(LONG.split()), f"text changed: {text_rows}")
        broken = [w for w in LONG.split() if len(w) < 30 and not any(w in row.split() for row in text_rows)]
        check(not broken, f"words broken across rows: {broken}")
        check(any("Cancel" in l and "Try Again" in l and "Continue" in l for _, l in rows),
              "buttons do not fit on one row")
    finally:
        p.close()


def case_too_many_lines_cut():
    text = "\n".join(f"row {i}" for i in range(1, 61))
    p, up, _ = shown_with_answer("1", text, "Long", rows=24, answer=IDOK)
    try:
        rows = box_rows(up)
        check(len(rows) <= 23, f"box of {len(rows)} rows on 24")
        lines = [l for _, l in rows]
        check(any("row 1 " in l + " " for l in lines) and not any("row 60" in l for l in lines),
              "wrong part of the text shown")
        check(any("…" in l for l in lines), "no ellipsis for the cut text")
        check(any("OK" in l and "Cancel" in l for l in lines) and lines[-1].startswith("└"),
              "buttons or bottom border cut off")
    finally:
        p.close()


def cursor_on_button_case(options, env=None, resize=None):
    """The shown cursor sits on the focused button's label, for a screen reader or a braille
    display to follow: on the alternate screen, and inline on the Linux console, which never
    reflows its lines. Unless the console is hidden, the answer leaves the screen and the cursor
    as they were, resized or not."""
    p = spawn("3", "Read me", "Cursor", options, env=env, prefix="first\\nprompt> ")
    try:
        wait_box(p)
        seen = []
        for key in (b"", b"\t", b"\t"):
            p.send(key)
            p.settle(0.1, 1)
            screen = Screen(24, 80)
            screen.feed(p.output)
            seen.append((screen.cursor_visible, "".join(screen.grid[screen.y][c][0] for c in range(screen.x, 80))))
        check([v for v, _ in seen] == [True] * 3, f"cursor hidden: {seen}")
        check([t.split()[0] if t.split() else "" for _, t in seen] == ["Yes", "No", "Cancel"],
              f"cursor not on the focused label: {seen}")
        if resize:
            p.mark = len(p.output)
            p.resize(*resize)
            check(p.read_until(DRAWN, timeout=3) is not None, "no redraw after the resize")
        p.send(b"\r")
        check(p.wait(3) == IDCANCEL, "wrong answer")
        after = Screen(24, 80)
        after.feed(p.output)
        if "hidden" not in options:
            check(after.lines()[:2] == ["first", "prompt>"] and not any(after.lines()[2:]),
                  f"screen after: {after.lines()[:10]}")
            check((after.y, after.x, after.cursor_visible) == (1, 8, True), f"cursor at {(after.y, after.x)}")
    finally:
        p.close()


def case_hidden_uses_alternate_screen():
    p, up, after = shown_with_answer("40", "Centred", "Hidden", ["hidden"], prefix="keep me\\n",
                                     answer=IDOK)
    try:
        check(b"\x1b[?1049h" in p.output and p.output.rfind(b"\x1b[?1049l") > p.output.find(b"\x1b[?1049h"),
              "alternate screen not entered and left")
        check("keep me" not in up.text(), "main screen visible behind the hidden-console box")
        rows = box_rows(up)
        left = min(l.index(l.strip()[0]) for _, l in rows) if rows else 0
        top = rows[0][0] if rows else 0
        check(20 < left < 40 and 5 < top < 12, f"box not centred: top {top}, left {left}")
        check(after.line(0) == "keep me", "main screen not back after closing")
    finally:
        p.close()


def case_shown_again_is_inline():
    p, _, _ = shown_with_answer("0", "Inline", "Shown", ["shown"], answer=IDOK)
    try:
        check(b"\x1b[?1049h" not in p.output, "console shown again but the box still hid it")
    finally:
        p.close()


def frame_case(env, utf8):
    p, up, _ = shown_with_answer("0", "plain", "frame", env=env, answer=IDOK)
    try:
        drew_utf8 = "┌" in up.text()
        check(drew_utf8 == utf8, f"UTF-8 lines {drew_utf8}, wanted {utf8}")
        if not utf8:
            check(max(p.output) < 0x80, "non-ASCII bytes in an ASCII box")
            # Drawn below the cursor's line, which is the first on a fresh screen.
            check(up.line(1).startswith("+- frame -") and "|" in up.line(2), f"ASCII frame: {up.lines()[:3]}")
    finally:
        p.close()


def case_controls_neutralised():
    text = b"A\x1b]0;pwned\x07B\x08C\rD\xff\xc2\x9bE\tF"
    p = PtyProcess([DRIVER, "0", text, b"Cap\ttion\x1b[2J"], env=dict(BASE_ENV))
    try:
        wait_box(p)
        up = Screen(24, 80)
        up.feed(p.output)
        p.send(b"\r")
        check(p.wait(3) == IDOK, "wrong answer")
        for raw in (b"\x1b]", b"\x07", b"\x08", b"\xff", b"\xc2\x9b", b"\x1b[2J"):
            check(raw not in p.output, f"{raw!r} from the text reached the terminal")
        line = next((l for l in up.lines() if "pwned" in l), "")
        start = line.find("A?]0;pwned?B?C?D??E")
        check(start >= 0 and line.find("F") - start == 24 and line[start + 19:start + 24].strip() == "",
              f"rendered as {line!r}")
        check("Cap tion?[2J" in up.line(1), f"caption rendered as {up.line(1)!r}")
    finally:
        p.close()


def locale_text_case(locale, text, wanted, unwanted, eight_bit=True, style="0", answer=IDOK, env=None):
    """Text comes in the locale's set and goes out in it (else in UTF-8); no byte of it is a C1
    control there."""
    p = PtyProcess([DRIVER, style, text, b"Cap"], env=dict(BASE_ENV, LANG=locale, **(env or {})))
    try:
        wait_box(p)
        p.send(b"\r")
        check(p.wait(3) == answer, "wrong answer")
        out = bytes(p.output)
        check(wanted in out, f"{wanted!r} not drawn: {out[-300:]!r}")
        check(not eight_bit or not any(0x80 <= b <= 0x9F for b in out), f"a C1 byte reached a {locale} terminal")
        for raw in unwanted:
            check(raw not in out, f"{raw!r} reached the terminal")
    finally:
        p.close()


def case_stop_and_continue():
    """Stopped from outside, the box hands the terminal back; continued, it takes it again."""
    p = spawn("1", "Stop me", "Stop", prefix="before\n", before_start=distinctive_modes)
    try:
        wait_box(p)
        os.kill(p.proc.pid, signal.SIGTSTP)
        deadline = time.monotonic() + 3
        while time.monotonic() < deadline and open(f"/proc/{p.proc.pid}/stat").read().split(") ")[1][0] != "T":
            time.sleep(0.02)
        p.settle(0.1, 1)
        check(p.modes() == p.start_modes, "terminal left raw while stopped")
        check(bytes(p.output).endswith(b"\x1b[?25h"), "cursor left hidden while stopped")
        mark = len(p.output)
        os.kill(p.proc.pid, signal.SIGCONT)
        check(p.read_until(DRAWN, timeout=3) is not None and len(p.output) > mark, "box not drawn again")
        check(not p.modes()[3] & termios.ECHO, "keys echo after the continue")
        p.send(RIGHT + b"\r")
        check(p.wait(3) == IDCANCEL, "wrong answer after the continue")
    finally:
        p.close()


def case_wide_characters():
    text = "日本語のテキストです。折り返しも確認します。" * 3 + "\nnext ñandú e\u0301"
    p, up, _ = shown_with_answer("0", text, "幅", cols=40, answer=IDOK)
    try:
        rows = box_rows(up)
        borders = {right_border(up, r) for r, _ in rows}
        check(len(borders) == 1, f"wide characters broke the border: {[l for _, l in rows]}")
        check(up.autowraps == 0, "a row ran past the edge")
        check(any("next ñandú é" in l or "next ñandú e\u0301" in l for _, l in rows), "accented line mangled")
    finally:
        p.close()


def case_focus_and_underline():
    p = spawn("3", "Focus", "F")
    try:
        wait_box(p)
        p.settle(0.05, 1)
        first = Screen(24, 80)
        first.feed(p.output)
        p.send(b"\t")
        p.settle(0.1, 1)
        second = Screen(24, 80)
        second.feed(p.output)
        p.send(b"\x1b[C")
        p.settle(0.1, 1)
        third = Screen(24, 80)
        third.feed(p.output)
        focused = [s.runs(1) for s in (first, second, third)]
        check([len(f) for f in focused] == [1, 1, 1], f"not exactly one highlighted button: {focused}")
        check(["Yes" in focused[0][0], "No" in focused[1][0], "Cancel" in focused[2][0]] == [True] * 3,
              f"highlight did not follow the focus: {focused}")
        check(sorted(first.runs(2)) == ["N", "Y"], f"underlined: {first.runs(2)}")
        p.send(b"\r")
        check(p.wait(3) == IDCANCEL, "wrong answer")
    finally:
        p.close()


def icon_case(style, options, glyph):
    p, up, _ = shown_with_answer(style, "Icon", "I", options, answer=IDOK)
    try:
        glyphs = [g for g in ("(X)", "(?)", "/!\\", "(i)", "(*)") if g in up.text()]
        check(glyphs == ([glyph] if glyph else []), f"icons shown {glyphs}, wanted {glyph}")
    finally:
        p.close()


def case_mirrored_and_right():
    """MB_RTLREADING: icon right of the text, No left of Yes, rows ending together; MB_RIGHT alone
    ends the rows together beside an icon on the left."""
    for style, mirrored in (("100034", True), ("80034", False)):
        p, up, _ = shown_with_answer(style, "Right\nlonger row", "M", answer=IDYES, keys=(b"y",))
        try:
            lines = [line for _, line in box_rows(up)]
            first = next(line for line in lines if "Right" in line)
            second = next(line for line in lines if "longer row" in line)
            buttons = next(line for line in lines if "Yes" in line)
            check((first.index("/!\\") > first.index("Right")) == mirrored, f"icon misplaced: {first!r}")
            check((buttons.index("No") < buttons.index("Yes")) == mirrored, f"buttons: {buttons!r}")
            check(first.index("Right") + 5 == second.index("longer row") + 10, f"rows not right-aligned: {lines}")
        finally:
            p.close()


def case_null_strings():
    _, up, _ = shown_with_answer("0", "x", "y", ["nulltext", "nullcaption"], answer=IDOK)
    check(up.line(1).startswith("┌──") and "OK" in up.text(), f"box with no text: {up.lines()[:6]}")


def case_resize_redraws():
    p = spawn("1", LONG, "Resize", cols=80)
    try:
        wait_box(p)
        p.resize(24, 40)
        end = p.read_until(re.compile(rb"\xe2\x94\x94(\xe2\x94\x80)+\xe2\x94\x98"), 3)
        check(end is not None, "no redraw after the resize")
        bottom = re.findall(rb"\xe2\x94\x94(?:\xe2\x94\x80)+\xe2\x94\x98", bytes(p.output))
        check(len(bottom) >= 2 and len(bottom[-1].decode()) <= 40 < len(bottom[0].decode()),
              f"redraw not at the new width: {[len(b.decode()) for b in bottom]}")
        p.send(b"\x1b[C\r")
        check(p.wait(3) == IDCANCEL, "wrong answer after the resize")
    finally:
        p.close()


def case_keys_from_terminal_not_stdin():
    p = spawn("4", "stdin is /dev/null", "R", stdin_tty=False)
    try:
        wait_box(p)
        p.send(b"n")
        check(p.wait(3) == IDNO, "keys not read from the terminal")
    finally:
        p.close()


def language_case(env, labels, underlined):
    """The labels of the user's language, their own letters underlined, the border straight."""
    p, up, _ = shown_with_answer("3", "Text", "C", env=env, keys=(ESC,), answer=IDCANCEL)
    try:
        rows = box_rows(up)
        buttons = [line for _, line in rows if "[" in line]
        check(len(buttons) == 1 and re.findall(r"\[\s*(.*?)\s*\]", buttons[0]) == labels, f"buttons {buttons}")
        check(len({right_border(up, r) for r, _ in rows}) == 1, "the labels broke the border")
        check(up.runs(2) == underlined, f"underlined: {up.runs(2)}")
    finally:
        p.close()


SCREEN_CASES = [
    ("inline box leaves earlier output and the cursor in place", case_inline_restores_content),
    ("inline box at the bottom scrolls and comes back", case_inline_scrolls_at_bottom),
    ("long text wraps at blanks on 40 columns", case_wraps_on_forty_columns),
    ("text taller than the screen is cut with an ellipsis", case_too_many_lines_cut),
    ("hidden console: alternate screen, centred box", case_hidden_uses_alternate_screen),
    ("hidden console: the cursor on the focused button", lambda: cursor_on_button_case(["hidden"])),
    ("Linux console: the cursor on the focused button inline",
     lambda: cursor_on_button_case([], {"TERM": "linux"})),
    ("Linux console: narrowed with the cursor on a button",
     lambda: cursor_on_button_case([], {"TERM": "linux"}, resize=(24, 40))),
    ("ASKBOX_SCREEN=alternate: the cursor on the focused button, on the alternate screen",
     lambda: cursor_on_button_case([], {"ASKBOX_SCREEN": "alternate"})),
    ("console shown again: inline box", case_shown_again_is_inline),
    ("LANG=C.UTF-8 draws lines", lambda: frame_case({"LANG": "C.UTF-8"}, True)),
    ("LANG=C draws ASCII", lambda: frame_case({"LANG": "C"}, False)),
    ("LC_ALL wins over LANG", lambda: frame_case({"LC_ALL": "POSIX", "LANG": "en_US.UTF-8"}, False)),
    ("LC_CTYPE utf8 wins over LANG", lambda: frame_case({"LC_CTYPE": "de_DE.utf8", "LANG": "C"}, True)),
    ("control bytes in text and caption are substituted", case_controls_neutralised),
    ("Latin-1 text drawn in Latin-1", lambda: locale_text_case("en_US.ISO-8859-1", b"caf\xe9", b"caf\xe9", ())),
    ("UTF-8 bytes are no C1 controls to a Latin-1 terminal",
     lambda: locale_text_case("en_US.ISO-8859-1", b"A\xc3\x9d0;PWNED\xc3\x9c B", b"0;PWNED", (b"\x9d",))),
    ("TCVN capitals that are C0 bytes there are drawn as '?'",
     lambda: locale_text_case("vi_VN.TCVN", b"A\x01B\x02C", b"A?B?C", (b"\x01", b"\x02"))),
    ("a set iconv does not know passes ASCII alone",
     lambda: locale_text_case("en_US.NOSUCHSET", b"A\xc3\x9dB", b"A??B", (b"\xef\xbf\xbd", b"\x9d"))),
    ("a UTF-16 locale is drawn as UTF-8",
     lambda: locale_text_case("en_US.UTF-16", b"\x1b]0;PWNED\x07\x1b[31mRED", "\u5d1b".encode(),
                              (b"\x1b]", b"\x1b[31m", b"\x07", b"\x00"), eight_bit=False)),
    ("EUC-JP text drawn in EUC-JP", lambda: locale_text_case("ja_JP.EUC-JP", b"\xc6\xfc\xcb\xdc", b"\xc6\xfc\xcb\xdc", ())),
    ("wide and combining characters keep the border straight", case_wide_characters),
    ("focus highlight and accelerator underline", case_focus_and_underline),
    ("German labels", lambda: language_case(GERMAN, ["Ja", "Nein", "Abbrechen"], ["J", "N"])),
    ("French labels", lambda: language_case(FRENCH, ["Oui", "Non", "Annuler"], ["O", "N"])),
    ("Japanese labels, wide, the letter after the word", lambda: language_case(
        JAPANESE, ["はい(Y)", "いいえ(N)", "キャンセル"], ["Y", "N"])),
    ("French labels drawn in Latin-1", lambda: locale_text_case(
        "en_US.ISO-8859-1", b"T", b"\x1b[24m\xe9essayer ]", (), style="106", answer=IDTRYAGAIN,
        env=dict(CATALOGS, LC_MESSAGES="fr_FR.UTF-8"))),
    ("error icon", lambda: icon_case("10", [], "(X)")),
    ("question icon", lambda: icon_case("20", [], "(?)")),
    ("warning icon", lambda: icon_case("30", [], "/!\\")),
    ("information icon", lambda: icon_case("40", [], "(i)")),
    ("user icon with an instance", lambda: icon_case("80", ["hinstance"], "(*)")),
    ("user icon without an instance shows none", lambda: icon_case("80", [], None)),
    ("unknown icon bits show none", lambda: icon_case("50", [], None)),
    ("mirrored and right-aligned boxes", case_mirrored_and_right),
    ("null text and caption", case_null_strings),
    ("resize redraws at the new width", case_resize_redraws),
    ("keys come from the terminal with stdin redirected", case_keys_from_terminal_not_stdin),
]


# ---------------------------------------------------------------- in a real terminal: tmux

FRAME_LINES = set("┌┐└┘│─")
PRIOR = "".join(f"line {i}\\n" for i in range(40))


def tmux_case(style, text, caption="T", options=(), rows=24, cols=80, tmux_options=(), resizes=(),
              keys=("Enter",), answer=IDOK, while_up=None, before="before\\n", signum=0):
    """The box in tmux: what a person sees while it is up (while_up gets the pane and the rows of
    its screen), and that after the answer nothing of it is left, on the screen or in the scrollback, and the
    shell's next output starts a line of its own."""
    t = TmuxPane([DRIVER, style, text, caption, *options], rows, cols, {"LANG": "C.UTF-8"}, tmux_options,
                 before=before)
    try:
        check(t.wait_for(lambda lines: any("┘" in line or "│ " in line for line in lines)), f"no box drawn: {t.lines()}")
        for size in resizes:
            t.resize(*size)
            time.sleep(0.03)
        time.sleep(0.3)
        if while_up:
            while_up(t, t.screen())
        if signum:
            os.kill(t.program_pid(), signum)
            answer = 128 + signum
        else:
            t.send(*keys)
        code = t.exit_code()
        lines = t.lines()
        check(code == answer, f"exit {code}, wanted {answer}: {lines}")
        check("modes changed" not in lines and t.cursor_shown(), f"terminal not restored: {lines}")
        left = [line for line in lines if FRAME_LINES & set(line)]
        check(not left, f"box left behind: {left}")
        check("rc=%d" % answer in lines, f"the next output shares a line: {lines}")
        lost = [line for line in before.split("\\n") if line and line not in lines and "hidden" not in options]
        check(not lost, f"earlier output lost: {lost}")
    finally:
        t.close()


def straight_border(t, screen):
    rows = [row for row, line in enumerate(screen) if line.lstrip()[:1] in ("┌", "│", "└")]
    ends = t.line_ends()
    check(len({ends[row] for row in rows}) == 1 and screen[rows[-1]].lstrip()[:1] == "└",
          f"right border ragged: {[(screen[row], ends[row]) for row in rows]}")


def shows(*wanted, unwanted=()):
    """The box's rows hold every wanted text, and none of the unwanted (regular expressions)."""
    def check_rows(t, screen):
        rows = "\n".join(line for line in screen if line.lstrip()[:1] in ("┌", "│", "└"))
        missing = [w for w in wanted if w not in rows]
        found = [u for u in unwanted if re.search(u, rows)]
        check(not missing and not found, f"missing {missing}, found {found} in:\n{rows}")
    return check_rows


# A bracket that a label does not close, or a lone one.
TORN_BUTTON = r"\[[^\]]*(│|$)|(^|│ *)[^\[│]*\]"

WIDE_TEXT = ("Emoji ✅🚀☕⌚🛑🪐 Thai ภาษาไทยสำหรับ Devanagari क्षत्रिय हिन्दी family 👨‍👩‍👧 flag 🇩🇪 "
             "🌡️👁🗺 Hangul 가 marks שָלוֹם ⁠‮‬ end")


TMUX_CASES = [
    ("tmux: SIGUSR1 puts the terminal back", lambda: tmux_case("1", "Signal me", signum=signal.SIGUSR1)),
    ("tmux: SIGVTALRM on the hidden console's screen",
     lambda: tmux_case("1", "Signal me", options=["hidden"], signum=signal.SIGVTALRM)),
    ("tmux: 30 columns keep every label whole", lambda: tmux_case(
        "206", "Narrow", cols=30, keys=("Enter",), answer=IDCONTINUE,
        while_up=shows("Cancel", "Try Again", "Continue", unwanted=[TORN_BUTTON]))),
    ("tmux: 22 columns show the focused Continue whole", lambda: tmux_case(
        "206", "Narrow", cols=22, keys=("Enter",), answer=IDCONTINUE,
        while_up=shows("Continue", unwanted=[TORN_BUTTON]))),
    ("tmux: 20 columns show the focused Cancel whole", lambda: tmux_case(
        "6", "Narrow", cols=20, keys=("Enter",), answer=IDCANCEL,
        while_up=shows("Cancel", unwanted=[TORN_BUTTON]))),
    ("tmux: inline on 5 rows the text keeps a row before the ellipsis", lambda: tmux_case(
        "0", "first row\nsecond\nthird", rows=5, while_up=shows("first row", "…"))),
    # Below a screenful of earlier output, as at a shell prompt.
    ("tmux: narrowed 80, 50, 40 columns", lambda: tmux_case("1", LONG, resizes=[(24, 50), (24, 40)], before=PRIOR)),
    ("tmux: 40 quick resizes", lambda: tmux_case(
        "1", LONG, resizes=[(24, 60)] + [(24 - i % 7, 30 + i * 37 % 60) for i in range(39)], keys=("Escape",),
        answer=IDCANCEL, before=PRIOR)),
    ("tmux: made lower and taller again", lambda: tmux_case("0", LONG, resizes=[(5, 80), (24, 80)], before=PRIOR)),
    ("tmux: emoji, Thai, Devanagari and joined sequences keep a straight border",
     lambda: tmux_case("0", WIDE_TEXT, while_up=straight_border)),
    ("tmux: the same in a full-width box", lambda: tmux_case("0", WIDE_TEXT * 3, "✅ 🇩🇪", while_up=straight_border)),
    ("tmux without an alternate screen: the hidden console's box ends on a fresh line",
     lambda: tmux_case("0", "Hidden", options=["hidden"], tmux_options=["alternate-screen off"])),
]


# ---------------------------------------------------------------- signals, hang-ups, no terminal

def signal_case(signum, options=(), via_key=False, env=None, stalled=False):
    p = spawn("1", "Signal me", "Sig", options, prefix="before\\n", before_start=distinctive_modes, env=env)
    try:
        before = p.start_modes
        wait_box(p)
        mark = len(p.output)
        if stalled:
            stall(p)
        started = time.monotonic()
        if via_key:
            p.send(b"\x03")
        else:
            os.kill(p.proc.pid, signum)
        code = p.wait(3)
        check(code == -signum, f"exit {code}, wanted death by signal {signum}")
        check(p.modes() == before, "terminal modes not restored")
        if stalled:
            check(time.monotonic() - started < 3, "ended too late")
            return
        tail = bytes(p.output[mark:])
        check(b"\x1b[?25h" in tail, "cursor not shown again")
        if "hidden" in options:
            check(b"\x1b[?1049l" in tail, "alternate screen not left")
        else:
            after = Screen(24, 80)
            after.feed(p.output)
            check(after.line(0) == "before" and not any(after.lines()[1:]), f"box left behind: {after.lines()[:8]}")
    finally:
        p.close()


def hang_up_case(style, answer, ignore_hup):
    p = spawn(style, "Hang up", "H", ignore=(signal.SIGHUP,) if ignore_hup else ())
    try:
        wait_box(p)
        p.hang_up()
        code = p.wait(3)
        check(code == answer, f"exit {code}, wanted {answer}")
    finally:
        p.close()


def case_invalid_styles():
    for style in ("7", "8", "f", "4f"):
        p = spawn(style)
        try:
            code = p.wait(3)
            p.settle(0.05, 0.5)
            check(code == 0, f"style {style}: exit {code}, wanted 0")
            check(not p.output, f"style {style}: drew {bytes(p.output)[:40]!r}")
        finally:
            p.close()


def case_no_terminal():
    for options in ([], ["hidden"]):
        result = subprocess.run([DRIVER, "1", "No terminal", "T", *options], stdin=subprocess.DEVNULL,
                                stdout=subprocess.PIPE, stderr=subprocess.PIPE, start_new_session=True,
                                env=dict(BASE_ENV), timeout=5)
        check(result.returncode == 0, f"{options}: exit {result.returncode}, wanted 0")
        check(result.stdout == b"" and result.stderr == b"", f"{options}: wrote {result.stdout + result.stderr!r}")


PROCESS_CASES = [
    ("SIGTERM restores the terminal and kills", lambda: signal_case(signal.SIGTERM)),
    ("SIGTERM with the console hidden", lambda: signal_case(signal.SIGTERM, ["hidden"])),
    ("SIGINT", lambda: signal_case(signal.SIGINT)),
    ("SIGHUP", lambda: signal_case(signal.SIGHUP)),
    ("SIGQUIT", lambda: signal_case(signal.SIGQUIT)),
    ("SIGUSR1", lambda: signal_case(signal.SIGUSR1)),
    ("SIGALRM with the console hidden", lambda: signal_case(signal.SIGALRM, ["hidden"])),
    ("SIGXFSZ", lambda: signal_case(signal.SIGXFSZ)),
    ("a real-time signal", lambda: signal_case(signal.SIGRTMIN + 2)),
    ("SIGTERM while nobody reads the terminal", lambda: signal_case(signal.SIGTERM, stalled=True)),
    ("SIGHUP while nobody reads the hidden console's terminal",
     lambda: signal_case(signal.SIGHUP, ["hidden"], stalled=True)),
    # Where the terminal cannot take a clipboard (no OSC 52), Ctrl+C keeps its usual meaning.
    ("Ctrl-C byte acts as SIGINT on a terminal without OSC 52",
     lambda: signal_case(signal.SIGINT, via_key=True, env={"TERM": "linux"})),
    ("Ctrl-C byte with the console hidden, no OSC 52",
     lambda: signal_case(signal.SIGINT, ["hidden"], via_key=True, env={"TERM": "vt100"})),
    ("SIGTSTP hands the terminal back, SIGCONT takes it again", case_stop_and_continue),
    ("hang-up kills by SIGHUP", lambda: hang_up_case("1", -signal.SIGHUP, False)),
    ("hang-up with SIGHUP ignored: OK/Cancel is cancelled", lambda: hang_up_case("1", IDCANCEL, True)),
    ("hang-up with SIGHUP ignored: OK-only is OK", lambda: hang_up_case("0", IDOK, True)),
    ("hang-up with SIGHUP ignored: Yes/No fails", lambda: hang_up_case("4", 0, True)),
    ("invalid button styles return 0 and draw nothing", case_invalid_styles),
    ("no controlling terminal returns 0", case_no_terminal),
]


def main():
    global DRIVER
    if len(sys.argv) != 2:
        print("usage: terminal_box_test.py <box_driver>", file=sys.stderr)
        return 2
    DRIVER = os.path.abspath(sys.argv[1])
    cases = [(name, (lambda s=style, k=keys, a=answer, e=env: run_key_case(s, k, a, *e)))
             for name, style, keys, answer, *env in KEY_CASES]
    cases += [("Ctrl+C copies: " + name, (lambda c=case: copy_case(*c))) for name, *case in COPY_CASES]
    cases += [("timeout: " + name, (lambda c=case: timeout_case(*c))) for name, *case in TIMEOUT_CASES]
    cases += SCREEN_CASES + TMUX_CASES + PROCESS_CASES
    passed = failed = 0
    started = time.monotonic()
    for name, run in cases:
        try:
            run()
            passed += 1
            print(f"PASS  {name}")
        except Exception as error:  # a broken case must not hide the ones after it
            failed += 1
            print(f"FAIL  {name}: {error}")
        sys.stdout.flush()
    print(f"({time.monotonic() - started:.1f} s)", file=sys.stderr)
    print(f"{passed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
