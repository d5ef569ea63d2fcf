"""Pseudo-terminal helpers for end-to-end tests: run a program on its own terminal, read, type, wait."""

import codecs
import fcntl
import os
import re
import select
import struct
import subprocess
import termios
import time
import unicodedata


def _set_size(fd, rows, cols):
    fcntl.ioctl(fd, termios.TIOCSWINSZ, struct.pack("HHHH", rows, cols, 0, 0))


class PtyProcess:
    """A child whose controlling terminal is a fresh pty; the test holds the master side.

    The slave stays open here too, so its modes can be read after the child is gone and a child
    closing it does not hang up the terminal under the test's feet.
    """

    def __init__(self, argv, rows=24, cols=80, env=None, stdin_tty=True, ignore=(), before_start=None):
        self.master, self.slave = os.openpty()
        _set_size(self.slave, rows, cols)
        self.slave_name = os.ttyname(self.slave)
        self.output = bytearray()
        self.mark = 0
        # Terminal settings the child must find already in place when it starts.
        if before_start is not None:
            before_start(self)
        slave_name = self.slave_name

        def become_terminal_owner():
            import signal
            for sig in ignore:
                signal.signal(sig, signal.SIG_IGN)
            # A session leader without a terminal adopts the first one it opens.
            fd = os.open(slave_name, os.O_RDWR)
            os.close(fd)

        self.proc = subprocess.Popen(
            argv,
            stdin=self.slave if stdin_tty else subprocess.DEVNULL,
            stdout=self.slave,
            stderr=self.slave,
            env=env,
            start_new_session=True,
            preexec_fn=become_terminal_owner,
            close_fds=True,
        )

    def _pump(self, timeout):
        """Reads what the child wrote within `timeout` seconds; False once nothing more can come."""
        if self.master < 0:
            return False
        ready, _, _ = select.select([self.master], [], [], max(timeout, 0))
        if not ready:
            return True
        try:
            data = os.read(self.master, 65536)
        except OSError:
            return False
        self.output += data
        return bool(data)

    def read_until(self, pattern, timeout=3.0):
        """Waits for bytes or a compiled regex after the mark; moves the mark past the match.

        Returns the match end, or None on timeout.
        """
        deadline = time.monotonic() + timeout
        while True:
            if isinstance(pattern, bytes):
                at = self.output.find(pattern, self.mark)
                end = at + len(pattern) if at >= 0 else -1
            else:
                m = pattern.search(self.output, self.mark)
                end = m.end() if m else -1
            if end >= 0:
                self.mark = end
                return end
            left = deadline - time.monotonic()
            if left <= 0 or not self._pump(min(left, 0.05)):
                return None

    def settle(self, quiet=0.15, timeout=2.0):
        """Reads until the child has been silent for `quiet` seconds."""
        deadline = time.monotonic() + timeout
        last = len(self.output)
        quiet_since = time.monotonic()
        while time.monotonic() < deadline:
            self._pump(0.03)
            if len(self.output) != last:
                last = len(self.output)
                quiet_since = time.monotonic()
            elif time.monotonic() - quiet_since >= quiet:
                return

    def send(self, data):
        if isinstance(data, str):
            data = data.encode()
        os.write(self.master, data)

    def resize(self, rows, cols):
        _set_size(self.master, rows, cols)

    def modes(self):
        return termios.tcgetattr(self.slave)

    def set_modes(self, modes):
        termios.tcsetattr(self.slave, termios.TCSANOW, modes)

    def alive(self):
        return self.proc.poll() is None

    def wait(self, timeout=3.0):
        """Exit status (negative: killed by that signal), or None after killing a child that hung."""
        deadline = time.monotonic() + timeout
        while self.proc.poll() is None:
            if time.monotonic() >= deadline:
                self.proc.kill()
                self.proc.wait()
                return None
            self._pump(0.02)
        while self._pump(0.02) and len(select.select([self.master], [], [], 0)[0]):
            pass
        return self.proc.returncode

    def close(self):
        if self.proc.poll() is None:
            self.proc.kill()
            self.proc.wait()
        for fd in (self.master, self.slave):
            if fd >= 0:
                os.close(fd)
        self.master = self.slave = -1

    def hang_up(self):
        """Closes the master side, as a terminal window being closed does."""
        os.close(self.master)
        self.master = -1


def char_width(ch):
    if unicodedata.combining(ch) or unicodedata.category(ch) in ("Me", "Cf"):
        return 0
    return 2 if unicodedata.east_asian_width(ch) in ("W", "F") else 1


class Screen:
    """Just enough of a VT100/xterm to see what a user would see: cells with reverse and
    underline, autowrap, scrolling, saved cursor and the alternate screen."""

    def __init__(self, rows, cols):
        self.rows, self.cols = rows, cols
        self.grid = self._blank_grid()
        self.other = None  # the main screen while the alternate one is up
        self.y = self.x = 0
        self.pending_wrap = False
        self.saved = (0, 0)
        self.reverse = self.underline = False
        self.cursor_visible = True
        self.autowraps = 0
        self.scrolled = 0
        self._decoder = codecs.getincrementaldecoder("utf-8")("replace")
        self._state = "ground"
        self._sequence = ""

    def _blank_grid(self):
        return [self._blank_row() for _ in range(self.rows)]

    def _blank_row(self):
        return [[" ", False, False] for _ in range(self.cols)]

    def feed(self, data):
        for ch in self._decoder.decode(bytes(data)):
            self._char(ch)

    def _char(self, ch):
        code = ord(ch)
        if code == 0x18 or code == 0x1A:  # CAN, SUB abort a sequence
            self._state = "ground"
            return
        if self._state == "escape":
            self._escape(ch)
            return
        if self._state == "csi":
            self._sequence += ch
            if 0x40 <= code <= 0x7E:
                self._state = "ground"
                self._csi(self._sequence)
            return
        if self._state == "osc":
            if ch == "\x07" or ch == "\x1b":
                self._state = "ground"
            return
        if ch == "\x1b":
            self._state = "escape"
        elif ch == "\r":
            self.x, self.pending_wrap = 0, False
        elif ch == "\n":
            self._line_feed()
        elif ch == "\b":
            self.x = max(0, self.x - 1)
        elif code < 0x20 or 0x7F <= code < 0xA0:
            pass
        else:
            self._print(ch)

    def _escape(self, ch):
        self._state = "ground"
        if ch == "[":
            self._state, self._sequence = "csi", ""
        elif ch == "]":
            self._state = "osc"
        elif ch == "7":
            self.saved = (self.y, self.x)
        elif ch == "8":
            self.y, self.x = self.saved
            self.pending_wrap = False

    def _line_feed(self):
        self.pending_wrap = False
        if self.y == self.rows - 1:
            self.grid.pop(0)
            self.grid.append(self._blank_row())
            self.scrolled += 1
        else:
            self.y += 1

    def _print(self, ch):
        width = char_width(ch)
        if width == 0:
            if self.x > 0:
                self.grid[self.y][self.x - 1][0] += ch
            return
        if self.pending_wrap or self.x + width > self.cols:
            self.autowraps += 1
            self.x = 0
            self._line_feed()
        self.grid[self.y][self.x] = [ch, self.reverse, self.underline]
        if width == 2 and self.x + 1 < self.cols:
            self.grid[self.y][self.x + 1] = ["", self.reverse, self.underline]
        self.x += width
        if self.x >= self.cols:
            self.x, self.pending_wrap = self.cols - 1, True

    def _csi(self, seq):
        final, body = seq[-1], seq[:-1]
        private = body.startswith("?")
        numbers = [int(p) if p.isdigit() else 0 for p in body.lstrip("?").split(";")] if body else []
        n = numbers[0] if numbers and numbers[0] > 0 else 1
        self.pending_wrap = False
        if private and final in "hl":
            on = final == "h"
            if 1049 in numbers:
                if on and self.other is None:
                    self.saved_main = (self.y, self.x)
                    self.other, self.grid = self.grid, self._blank_grid()
                elif not on and self.other is not None:
                    self.grid, self.other = self.other, None
                    self.y, self.x = self.saved_main
            if 25 in numbers:
                self.cursor_visible = on
        elif final == "A":
            self.y = max(0, self.y - n)
        elif final == "B":
            self.y = min(self.rows - 1, self.y + n)
        elif final == "C":
            self.x = min(self.cols - 1, self.x + n)
        elif final == "D":
            self.x = max(0, self.x - n)
        elif final == "G":
            self.x = min(self.cols - 1, n - 1)
        elif final in "Hf":
            row = numbers[0] if numbers and numbers[0] else 1
            col = numbers[1] if len(numbers) > 1 and numbers[1] else 1
            self.y, self.x = min(self.rows, row) - 1, min(self.cols, col) - 1
        elif final == "J":
            mode = numbers[0] if numbers else 0
            if mode == 2:
                self.grid = self._blank_grid()
            elif mode == 0:
                self.grid[self.y][self.x:] = self._blank_row()[self.x:]
                for row in range(self.y + 1, self.rows):
                    self.grid[row] = self._blank_row()
        elif final == "K":
            self.grid[self.y][self.x:] = self._blank_row()[self.x:]
        elif final == "X":
            for col in range(self.x, min(self.cols, self.x + n)):
                self.grid[self.y][col] = [" ", False, False]
        elif final == "m":
            for p in numbers or [0]:
                if p == 0:
                    self.reverse = self.underline = False
                elif p == 7:
                    self.reverse = True
                elif p == 27:
                    self.reverse = False
                elif p == 4:
                    self.underline = True
                elif p == 24:
                    self.underline = False

    def line(self, row):
        return "".join(cell[0] for cell in self.grid[row]).rstrip()

    def lines(self):
        return [self.line(row) for row in range(self.rows)]

    def text(self):
        return "\n".join(self.lines()).rstrip("\n")

    def runs(self, attribute):
        """Texts drawn with reverse (1) or underline (2), one string per contiguous run."""
        found = []
        for row in self.grid:
            current = ""
            for cell in row:
                if cell[attribute]:
                    current += cell[0]
                elif current:
                    found.append(current)
                    current = ""
            if current:
                found.append(current)
        return found


def screen_of(process, rows, cols, upto=None):
    """Replays everything the process wrote so far (or up to a byte offset) onto a fresh screen."""
    screen = Screen(rows, cols)
    screen.feed(process.output if upto is None else process.output[:upto])
    return screen


BOX_BOTTOM = re.compile(rb"(\xe2\x94\x98|\+)(\x1b8)?$")


class TmuxPane:
    """A program in a pane of a private tmux server, read back as a person sees it: the screen and
    the scrollback (capture-pane with history) and the cursor. The program's exit code is printed
    after it as "rc=N", and "modes changed" where it left the terminal's modes otherwise than it
    found them; `before` is printed first, as a prompt would be."""

    _count = 0

    def __init__(self, argv, rows=24, cols=80, env=None, options=(), before=""):
        TmuxPane._count += 1
        self.socket = f"askbox-test-{os.getpid()}-{TmuxPane._count}"
        self.config = f"/tmp/{self.socket}.conf"
        with open(self.config, "w") as config:
            config.write("".join(f"set -g {option}\n" for option in ("history-limit 5000", "status off", *options)))
        self.tmux = ["tmux", "-u", "-L", self.socket, "-f", self.config]
        assignments = [f"{name}={value}" for name, value in (env or {}).items()]
        script = ('printf "%b" "$0"; modes=$(stty -g); "$@"; echo "rc=$?"; '
                  '[ "$(stty -g)" = "$modes" ] || echo "modes changed"; exec sleep 600')
        subprocess.run(self.tmux + ["new-session", "-d", "-x", str(cols), "-y", str(rows), "env", *assignments,
                                    "sh", "-c", script, before, *argv], check=True,
                       env={"PATH": os.environ.get("PATH", "/usr/bin:/bin"), "TERM": "xterm-256color"})

    def run(self, *command):
        return subprocess.run(self.tmux + list(command), check=True, stdout=subprocess.PIPE).stdout.decode()

    def lines(self):
        """The scrollback and the screen, one string a row, trailing blanks gone."""
        return [line.rstrip() for line in self.run("capture-pane", "-p", "-S", "-").split("\n")[:-1]]

    def screen(self):
        return [line.rstrip() for line in self.run("capture-pane", "-p").split("\n")[:-1]]

    def line_ends(self):
        """For each row of the screen, the column of its last character as tmux placed it (copy
        mode's end of line): tmux's own count of the cells before it."""
        self.run("copy-mode")
        ends = []
        for row in range(len(self.screen())):
            self.run("send", "-X", "top-line")
            if row:
                self.run("send", "-N", str(row), "-X", "cursor-down")
            self.run("send", "-X", "end-of-line")
            ends.append(int(self.run("display", "-p", "#{copy_cursor_x}")))
        self.run("send", "-X", "cancel")
        return ends

    def wait_for(self, found, timeout=3.0):
        """Waits until found(lines) is true; gives the lines then, or None."""
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            lines = self.lines()
            if found(lines):
                return lines
            time.sleep(0.05)
        return None

    def send(self, *keys):
        self.run("send-keys", *keys)

    def resize(self, rows, cols):
        self.run("resize-window", "-x", str(cols), "-y", str(rows))

    def exit_code(self, timeout=3.0):
        lines = self.wait_for(lambda lines: any(line.startswith("rc=") for line in lines), timeout)
        if lines is None:
            return None
        return int(next(line for line in lines if line.startswith("rc="))[3:])

    def program_pid(self):
        """The program's process: the one child of the pane's shell."""
        shell = int(self.run("display", "-p", "#{pane_pid}"))
        with open(f"/proc/{shell}/task/{shell}/children") as children:
            return int(children.read().split()[0])

    def cursor_shown(self):
        return self.run("display", "-p", "#{cursor_flag}").strip() == "1"

    def close(self):
        socket = subprocess.run(self.tmux + ["display", "-p", "#{socket_path}"], stdout=subprocess.PIPE,
                                stderr=subprocess.DEVNULL).stdout.decode().strip()
        subprocess.run(self.tmux + ["kill-server"], stderr=subprocess.DEVNULL)
        os.unlink(self.config)
        if socket and os.path.exists(socket):  # tmux leaves it behind
            os.unlink(socket)
