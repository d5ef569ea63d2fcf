// The terminal box's session: raw mode, the key loop, resizes, and the terminal restored on every way out.
#include "platform/posix/terminal/session.h"

#include "platform/posix/box/copy.h"
#include "platform/posix/stop-signals.h"
#include "platform/posix/terminal/draw.h"
#include "platform/posix/terminal/keys.h"
#include "platform/posix/time-limit.h"

#include <errno.h>
#include <fcntl.h>
#include <iterator>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <string.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace platform {
namespace {

// What the stop handler needs is static, built ahead of time with the signals blocked, so that
// it can put the terminal back at any instant with nothing but write() and tcsetattr().
termios SavedModes;
char Restore[128 + MAX_ROWS * 12];
size_t RestoreLength;
// The signals that end the program come through its pipe, which also wakes the loop for the others.
StopSignals Signals;
volatile sig_atomic_t Resized;
volatile sig_atomic_t Continued;
volatile sig_atomic_t StoppedHere;  // the terminal was handed back before the stop

const int HANDLED[] = {SIGWINCH, SIGTSTP, SIGCONT};
const int HANDLED_COUNT = std::size(HANDLED);
struct sigaction Previous[HANDLED_COUNT];
bool Installed[HANDLED_COUNT];

void Append(size_t* Length, const char* Bytes, size_t Count) {
  memcpy(Restore + *Length, Bytes, Count);
  *Length += Count;
}

void Append(size_t* Length, const char* Bytes) { Append(Length, Bytes, strlen(Bytes)); }

// Erases the cells the box covers, from the cursor on its first row.
void AppendErase(size_t* Length, const TerminalLayout& Layout) {
  for (int I = 0; I < Layout.Height; ++I) {
    if (I > 0) Append(Length, "\x1b[B");
    char Erase[16];
    Append(Length, Erase, FormatCsi(Erase, static_cast<unsigned>(Layout.Width), 'X'));
  }
}

// The leading CAN aborts any escape sequence a signal may have cut in half. Inline, exactly the
// cells the box covered are erased, and the cursor (with its attributes) goes back where it was.
// On the alternate screen the box is erased too, for a terminal that has none (GNU screen's
// default) and drew it on the main one: the cursor is then left at the start of its first row, so
// what comes next has a line of its own, where a terminal with one puts its own cursor back.
void BuildRestore(const TerminalBox& Box) {
  const TerminalLayout& L = Box.Layout;
  size_t N = 0;
  char Move[32];
  Append(&N, "\x18\x1b[0m");
  if (Box.AlternateScreen) {
    Append(&N, Move, FormatCursorTo(Move, L.Top, L.Left));
    AppendErase(&N, L);
    Append(&N, Move, FormatCursorTo(Move, L.Top, 0));
    Append(&N, "\x1b[?1049l");
  } else {
    Append(&N, "\x1b" "8\n\r");
    AppendErase(&N, L);
    Append(&N, "\x1b" "8");
  }
  Append(&N, "\x1b[?25h");
  RestoreLength = N;
}

// A terminal that nobody reads gets this long to take the restore sequence, and as long again to
// send it on before its modes change; then they change all the same, so that askbox still ends.
const int RESTORE_WAIT_MS = 500;

void RestoreTerminal() {
  DiscardOutput();
  WriteAll(Tty, Restore, RestoreLength, RESTORE_WAIT_MS);
  int64_t GiveUpAt = NowMs() + RESTORE_WAIT_MS;
  int Pending;
  while (ioctl(Tty, TIOCOUTQ, &Pending) == 0 && Pending > 0 && NowMs() < GiveUpAt) poll(nullptr, 0, 10);
  while (tcsetattr(Tty, TCSANOW, &SavedModes) != 0 && errno == EINTR) {
  }
}

// A resize, or a continue, also after a stop that could not be caught: the terminal may have been
// taken over meanwhile, so the loop sets it up and draws the box afresh.
void OnResizeOrContinue(int SignalNumber) {
  int Saved = errno;
  if (SignalNumber == SIGCONT)
    Continued = 1;
  else
    Resized = 1;
  unsigned char Byte = static_cast<unsigned char>(SignalNumber);
  ssize_t Ignored = write(Signals.Pipe[1], &Byte, 1);
  (void)Ignored;
  errno = Saved;
}

// A job stopped from outside hands the terminal back as it found it, as a full-screen program
// does, and stops for real: with the default action, which this handler stands in for.
void OnStop(int SignalNumber) {
  int Saved = errno;
  WriteAll(Tty, Restore, RestoreLength, RESTORE_WAIT_MS);
  tcsetattr(Tty, TCSANOW, &SavedModes);
  struct sigaction Stop, Handler;
  memset(&Stop, 0, sizeof Stop);
  Stop.sa_handler = SIG_DFL;
  sigaction(SignalNumber, &Stop, &Handler);
  sigset_t Only;
  sigemptyset(&Only);
  sigaddset(&Only, SignalNumber);
  StoppedHere = 1;
  raise(SignalNumber);
  sigprocmask(SIG_UNBLOCK, &Only, nullptr);
  // Stopped until continued; then the handler is put back and the loop takes the terminal again.
  sigprocmask(SIG_BLOCK, &Only, nullptr);
  sigaction(SignalNumber, &Handler, nullptr);
  errno = Saved;
}

// The box's own signals; with AlsoStopSignals the ones that end the program too.
void BlockedSet(sigset_t* Set, bool AlsoStopSignals) {
  sigemptyset(Set);
  for (int I = 0; I < HANDLED_COUNT; ++I) sigaddset(Set, HANDLED[I]);
  if (AlsoStopSignals) AddStopSignals(Set);
}

// A stop the caller ignores stays ignored, as the signals that end the program do. SA_RESTART is
// left out so that a resize interrupts poll().
void InstallHandlers() {
  struct sigaction Action;
  memset(&Action, 0, sizeof Action);
  BlockedSet(&Action.sa_mask, true);
  for (int I = 0; I < HANDLED_COUNT; ++I) {
    Installed[I] = false;
    if (sigaction(HANDLED[I], nullptr, &Previous[I]) != 0) continue;
    bool Ignored = !(Previous[I].sa_flags & SA_SIGINFO) && Previous[I].sa_handler == SIG_IGN;
    if (HANDLED[I] == SIGTSTP && Ignored) continue;
    Action.sa_handler = HANDLED[I] == SIGTSTP ? OnStop : OnResizeOrContinue;
    Installed[I] = sigaction(HANDLED[I], &Action, nullptr) == 0;
  }
}

void RestoreHandlers() {
  for (int I = 0; I < HANDLED_COUNT; ++I) {
    if (Installed[I]) sigaction(HANDLED[I], &Previous[I], nullptr);
    Installed[I] = false;
  }
}

// A resize or a continue has left its flag already; a signal that ends the program is kept.
void DrainWakePipe(TerminalBox& Box) {
  for (int Number; (Number = CaughtStopSignal(&Signals)) != 0;)
    if (Number != SIGWINCH && Number != SIGCONT) Box.EndingSignal = Number;
}

// Echo, line editing and signal keys go, so that every key reaches the box; output processing
// goes too, so that a line feed is a plain line feed (see Place).
bool EnterRawMode() {
  termios Raw = SavedModes;
  Raw.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
  Raw.c_iflag &= ~static_cast<tcflag_t>(IXON | ICRNL | INLCR | IGNCR | ISTRIP | BRKINT);
  Raw.c_oflag &= ~static_cast<tcflag_t>(OPOST);
  Raw.c_cc[VMIN] = 1;
  Raw.c_cc[VTIME] = 0;
  // Keys typed before the box was shown go: they were not meant as its answer. Not TCSAFLUSH,
  // which would wait for a terminal that nobody reads to take the output first.
  int Result;
  while ((Result = tcsetattr(Tty, TCSANOW, &Raw)) != 0 && errno == EINTR) {
  }
  tcflush(Tty, TCIFLUSH);
  return Result == 0;
}

void LayOut(TerminalBox& Box) {
  int Rows = 24, Columns = 80;
  winsize Size;
  if (ioctl(Tty, TIOCGWINSZ, &Size) == 0 && Size.ws_row > 0 && Size.ws_col > 0) {
    Rows = Size.ws_row;
    Columns = Size.ws_col;
  }
  ComputeLayout(Box, Rows, Columns, &Box.Layout);
}

const int KEEP_GOING = -2;
const int ESCAPE_WAIT_MS = 50;

void CopyToClipboard(const TerminalBox& Box) {
  char* Encoded = static_cast<char*>(malloc(4 * ((Box.CopyLength + 2) / 3) + 1));
  if (Encoded == nullptr) return;
  size_t Length = Base64(reinterpret_cast<const unsigned char*>(Box.Copy), Box.CopyLength, Encoded);
  Put("\x1b]52;c;");
  Put(Encoded, Length);
  Put("\x07");
  Flush();
  free(Encoded);
}

int HandleKey(TerminalBox& Box, Key K) {
  switch (K.Action) {
    case KEY_NEXT:
    case KEY_PREVIOUS:
      if (Box.Model.ButtonCount > 1) {
        // Left and right go the way they point, so in a mirrored box, whose buttons run from
        // the right, they step through the buttons the other way.
        MoveFocus(&Box.Model, (K.Action == KEY_NEXT) != (K.Sideways && Box.RightToLeft) ? 1 : -1);
        Draw(Box);
      }
      return KEEP_GOING;
    case KEY_PRESS:
      return Box.Model.Buttons[Box.Model.Focus].Id;
    case KEY_ESCAPE:
      return Box.Model.CloseAnswer != 0 ? Box.Model.CloseAnswer : KEEP_GOING;
    case KEY_INTERRUPT:
      // Ctrl+C copies the box, as on Windows, where the terminal can take it; elsewhere it keeps
      // its usual meaning.
      if (Box.Copy == nullptr) {
        Box.EndingSignal = SIGINT;
        return SIGNALLED;
      }
      CopyToClipboard(Box);
      return KEEP_GOING;
    case KEY_LETTER: {
      int Answer = AcceleratorAnswer(Box.Model, K.Letter);
      return Answer != 0 ? Answer : KEEP_GOING;
    }
    default:
      return KEEP_GOING;
  }
}

// The key's bytes leave the input before it is acted on.
int ConsumeKey(TerminalBox& Box, Key K, unsigned char* Input, size_t* Have) {
  memmove(Input, Input + K.Used, *Have - K.Used);
  *Have -= K.Used;
  return HandleKey(Box, K);
}

// The screen to draw on and the box drawn on it. The stop waits meanwhile, so the restore
// sequence it writes always matches the terminal; the signals that end the program do not, as
// they only wake a draw that the terminal holds up.
void Show(TerminalBox& Box, Drawing How) {
  sigset_t Handled, Before;
  BlockedSet(&Handled, false);
  sigprocmask(SIG_BLOCK, &Handled, &Before);
  if (How == DRAW_FRESH) {
    if (Box.AlternateScreen) Put("\x1b[?1049h");
    Put("\x1b[?25l");
  }
  LayOut(Box);
  Place(Box, How);
  Draw(Box);
  BuildRestore(Box);
  sigprocmask(SIG_SETMASK, &Before, nullptr);
}

// An inline box leaves for the alternate screen at the first resize. A terminal that reflows
// its lines (tmux, GNU screen) does so again at every resize, and pushes what no longer fits into
// its scrollback, where no redraw can reach it: a box that stayed inline would leave pieces of
// itself there, asking the terminal where it put the box's line notwithstanding. One reflow of a
// box that then comes off the main screen at once leaves nothing: the erase starts at the
// parked cursor, which the terminal took along with the caller's line, and the main screen is
// not reflowed again until the box has left the alternate one.
void TakeAlternateScreen(TerminalBox& Box) {
  EraseInlineBox();
  Box.AlternateScreen = true;
  Show(Box, DRAW_FRESH);
}

// After a stop the shell has had the terminal: raw mode again, and the box drawn anew where it
// handed the terminal back, or over itself where the stop could not be caught.
bool TakeBack(TerminalBox& Box, size_t* Have) {
  Drawing How = StoppedHere != 0 ? DRAW_FRESH : DRAW_AGAIN;
  StoppedHere = 0;
  *Have = 0;
  if (!EnterRawMode()) return false;
  Show(Box, How);
  return true;
}

// A hang-up or end of input is taken as the user closing the box's window: on Windows that is
// only possible where Esc would answer, and gives the same answer (Cancel, or OK when OK is the
// only button). Without such an answer there is no button to report, so it is 0, a failure.
int RunLoop(TerminalBox& Box) {
  unsigned char Input[64];
  size_t Have = 0;
  for (;;) {
    if (Box.EndingSignal != 0) return SIGNALLED;
    if (Continued) {
      Continued = 0;
      Resized = 0;
      DrainWakePipe(Box);
      if (!TakeBack(Box, &Have)) return Box.Model.CloseAnswer;
    }
    if (Resized) {
      Resized = 0;
      DrainWakePipe(Box);
      if (Box.AlternateScreen) {
        Show(Box, DRAW_AGAIN);
      } else {
        TakeAlternateScreen(Box);
      }
    }
    if (TimeLimitOver(Box.Limit)) return Box.Limit.DefaultId;
    if (TickTimeLimit(&Box.Limit)) Draw(Box);
    while (Have > 0) {
      Key K = DecodeKey(Input, Have, Have == sizeof Input ? NO_MORE_COMING : MORE_MAY_COME);
      if (K.Action == KEY_NEED_MORE) break;
      int Answer = ConsumeKey(Box, K, Input, &Have);
      if (Answer != KEEP_GOING) return Answer;
    }
    pollfd Fds[2] = {{Tty, POLLIN, 0}, {StopSignalFd(Signals), POLLIN, 0}};
    int Ready = poll(Fds, 2, TimeLimitWait(Box.Limit, Have > 0 ? ESCAPE_WAIT_MS : -1));
    if (Ready < 0) {
      if (errno == EINTR || errno == EAGAIN) continue;
      return Box.Model.CloseAnswer;
    }
    if (Ready == 0) {
      if (Have == 0) continue;  // the time limit's turn, at the top of the loop
      int Answer = ConsumeKey(Box, DecodeKey(Input, Have, NO_MORE_COMING), Input, &Have);
      if (Answer != KEEP_GOING) return Answer;
      continue;
    }
    if (Fds[1].revents) DrainWakePipe(Box);
    if (Fds[0].revents) {
      ssize_t Got = read(Tty, Input + Have, sizeof Input - Have);
      if (Got > 0) {
        Have += static_cast<size_t>(Got);
      } else if (Got == 0 || (errno != EINTR && errno != EAGAIN)) {
        return Box.Model.CloseAnswer;
      }
    }
  }
}

}  // namespace

int RunTerminalBox(TerminalBox& Box) {
  // Not blocking: see Flush. The descriptor is askbox's own, whatever the shell's stdin shares.
  Tty = open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
  if (Tty < 0) return NO_TERMINAL;
  if (tcgetattr(Tty, &SavedModes) != 0) {
    close(Tty);
    Tty = -1;
    return NO_TERMINAL;
  }
  // Without the pipe a signal could not leave the box through its loop, and the terminal would
  // stay raw.
  if (!CatchStopSignals(&Signals)) {
    close(Tty);
    Tty = -1;
    return NO_TERMINAL;
  }
  DiscardOutput();
  WaitOutputFor(StopSignalFd(Signals), Box.Limit.Active ? Box.Limit.DeadlineMs : -1);
  RestoreLength = 0;
  Resized = 0;
  Box.EndingSignal = 0;

  // The box's signals wait until the terminal is in a state the prepared restore sequence matches.
  sigset_t Handled, Ending, CallerMask;
  BlockedSet(&Handled, false);
  BlockedSet(&Ending, true);
  sigprocmask(SIG_BLOCK, &Handled, &CallerMask);
  InstallHandlers();
  int Answer = 0;
  Continued = 0;
  StoppedHere = 0;
  if (EnterRawMode()) {
    Show(Box, DRAW_FRESH);
    sigprocmask(SIG_SETMASK, &CallerMask, nullptr);
    Answer = RunLoop(Box);
    sigprocmask(SIG_BLOCK, &Ending, nullptr);
    RestoreTerminal();
  }
  // A signal caught after the loop's last look ends the program all the same; one still blocked
  // meets the caller's own handler once the mask is back.
  DrainWakePipe(Box);
  if (Box.EndingSignal != 0) Answer = SIGNALLED;
  RestoreHandlers();
  ReleaseStopSignals(&Signals);
  WaitOutputFor(-1, -1);
  close(Tty);
  Tty = -1;
  sigprocmask(SIG_SETMASK, &CallerMask, nullptr);

  return Answer;
}

}  // namespace platform
