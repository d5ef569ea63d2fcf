"""Boxes of the Linux askbox answered on a pseudo-terminal: keys in, exit code out."""
import os
import pty
import select
import signal
import time

TIMEOUT = 10


def run_on_pty(program, args, keys, columns=80, rows=24, ready=b"]"):
    """Starts askbox on a new pty, waits for its box, types the keys, gives exit code and screen bytes."""
    pid, master = pty.fork()
    if pid == 0:
        os.execv(program, [program] + args)
    import fcntl, struct, termios
    fcntl.ioctl(master, termios.TIOCSWINSZ, struct.pack("HHHH", rows, columns, 0, 0))
    seen = b""
    deadline = time.time() + TIMEOUT

    def read_until(pattern):
        nonlocal seen
        while pattern not in seen and time.time() < deadline:
            ready, _, _ = select.select([master], [], [], 0.2)
            if ready:
                try:
                    chunk = os.read(master, 4096)
                except OSError:
                    return
                if not chunk:
                    return
                seen += chunk
                # Answer a cursor-position question, as a terminal would.
                if b"\x1b[6n" in chunk:
                    os.write(master, b"\x1b[1;1R")

    read_until(ready)
    time.sleep(0.2)
    for key in keys:
        os.write(master, key)
        time.sleep(0.15)
    status = None
    while time.time() < deadline:
        done, status = os.waitpid(pid, os.WNOHANG)
        if done:
            break
        ready, _, _ = select.select([master], [], [], 0.1)
        if ready:
            try:
                seen += os.read(master, 4096)
            except OSError:
                pass
    else:
        os.kill(pid, signal.SIGKILL)
        os.waitpid(pid, 0)
        os.close(master)
        return None, seen
    # What the program wrote just before it ended is still in the pty.
    while select.select([master], [], [], 0.2)[0]:
        try:
            chunk = os.read(master, 4096)
        except OSError:
            break
        if not chunk:
            break
        seen += chunk
    os.close(master)
    return (os.waitstatus_to_exitcode(status) if status is not None else None), seen


ENTER, ESC, TAB, RIGHT = b"\r", b"\x1b", b"\t", b"\x1b[C"

CASES = [
    ("OK with Enter", ["text=Hi", "caption=c1"], [ENTER], 1),
    ("OK with Esc", ["text=Hi"], [ESC], 1),
    ("Yes/No: Y", ["text=Hi", "button=4"], [b"y"], 6),
    ("Yes/No: N", ["text=Hi", "button=4"], [b"n"], 7),
    ("Yes/No: Esc does nothing, then Enter", ["text=Hi", "button=4"], [ESC, ENTER], 6),
    ("Yes/No: Tab then Enter", ["text=Hi", "button=4"], [TAB, ENTER], 7),
    ("Retry/Cancel: R", ["text=Disk is full", "icon=16", "button=5"], [b"r"], 4),
    ("Retry/Cancel: Esc", ["text=Hi", "button=5"], [ESC], 2),
    ("Abort/Retry/Ignore: I", ["text=Hi", "button=2"], [b"i"], 5),
    ("Abort/Retry/Ignore: right arrow, Space", ["text=Hi", "button=2"], [RIGHT, b" "], 4),
    ("Abort/Retry/Ignore: Esc does nothing, then A", ["text=Hi", "button=2"], [ESC, b"a"], 3),
    ("Yes/No/Cancel default third", ["text=Hi", "button=0x203"], [ENTER], 2),
    ("OK/Cancel default second", ["text=Hi", "button=$101"], [ENTER], 2),
    ("Cancel/Try/Continue: C", ["text=Hi", "button=6"], [b"c"], 11),
    ("hidden console uses the alternate screen", ["text=Hi", "mode=1"], [ENTER], 1),
]


def run_all(program, check):
    for name, args, keys, want in CASES:
        code, screen = run_on_pty(program, args, keys)
        check("box: " + name, code == want, (code, screen[-200:]))
        if "mode=1" in args:
            check("box: alternate screen entered and left", b"\x1b[?1049h" in screen and b"\x1b[?1049l" in screen,
                  screen[:200])
    code, screen = run_on_pty(program, [], [ENTER], ready=b"Press enter to return...")
    check("pause ends with Enter at a terminal", code == 8 and screen.count(b"\r\n") >= 35, (code, screen[-80:]))
    code, screen = run_on_pty(program, ["text=Hi", "caption=Shown caption"], [ENTER])
    check("box: caption and text drawn", b"Shown caption" in screen and b"Hi" in screen, screen[:300])
