// The terminal box made from a request: its looks, what the terminal is known to take, the outcome.
#include "platform/posix/terminal/box.h"

#include "platform/posix/box/copy.h"
#include "platform/posix/codeset.h"
#include "platform/posix/locale.h"
#include "platform/posix/terminal/session.h"

#include <fcntl.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

namespace platform {
namespace {

// Terminals of the xterm family take OSC 52 as a request to set the clipboard; others may print it.
bool TakesClipboard(const char* Term) {
  static const char* const FAMILY[] = {"xterm", "rxvt", "screen", "tmux", "alacritty", "foot", "wezterm", "kitty"};
  if (Term == nullptr) return false;
  for (const char* Name : FAMILY)
    if (strncmp(Term, Name, strlen(Name)) == 0) return true;
  return false;
}

// The Linux console cuts or pads its lines on a resize and never rewraps them.
bool KeepsLinesOnResize(const char* Term) {
  return Term != nullptr && strncmp(Term, "linux", 5) == 0 && (Term[5] == '\0' || Term[5] == '-');
}

// ASKBOX_SCREEN=alternate puts every box on the alternate screen, with the cursor on the focused
// button, as dialog and whiptail show theirs: for a screen reader or a braille display that
// follows a terminal emulator's cursor, which askbox cannot detect over ssh. Inline the cursor
// waits on the caller's line there instead: one on the button would leave the box's rows above
// it in the scrollback whenever the terminal is made lower, and a terminal that rewraps its lines
// on a resize does not say where they went.
bool AlternateScreenWanted(const char* Screen) { return Screen != nullptr && strcmp(Screen, "alternate") == 0; }

// Icons are ASCII on purpose: the pictographs a UTF-8 terminal could show have no agreed width,
// and one cell of disagreement breaks the right-hand border.
const TerminalIcon ERROR_ICON = {"(X)", "\x1b[1;31m"};
const TerminalIcon QUESTION_ICON = {"(?)", "\x1b[1;34m"};
const TerminalIcon WARNING_ICON = {"/!\\", "\x1b[1;33m"};
const TerminalIcon INFORMATION_ICON = {"(i)", "\x1b[1;34m"};
const TerminalIcon USER_ICON = {"(*)", "\x1b[1;35m"};

// In the order of BoxIcon.
const TerminalIcon* const ICONS[] = {nullptr, &ERROR_ICON, &QUESTION_ICON, &WARNING_ICON, &INFORMATION_ICON, &USER_ICON};

// A set in which printable ASCII is not itself (UTF-16, UCS-2, EBCDIC) cannot be what the
// terminal speaks, since the frame and the labels go out in ASCII: the text goes out in UTF-8.
// Where the whole run does not convert (no converter for the set, which then passes ASCII alone,
// or one whose output outgrows the room), a single letter tells.
bool KeepsAscii(GlyphEncoder& Encoder) {
  char Ascii[0x7F - ' '];
  for (size_t I = 0; I < sizeof Ascii; ++I) Ascii[I] = static_cast<char>(' ' + I);
  char Encoded[4 * sizeof Ascii];
  size_t Length = EncodeGlyph(Encoder, Ascii, sizeof Ascii, Encoded, sizeof Encoded);
  if (Length == 0) return EncodeGlyph(Encoder, "A", 1, Encoded, sizeof Encoded) == 1 && Encoded[0] == 'A';
  return Length == sizeof Ascii && memcmp(Encoded, Ascii, sizeof Ascii) == 0;
}

// The copy is made of the text as drawn, in UTF-8, with the buttons' own labels.
int RunCopyable(TerminalBox& Box, const BoxModel& Plain) {
  Box.Copy = nullptr;
  if (TakesClipboard(getenv("TERM")))
    Box.Copy = BoxCopyText(Box.Caption, Box.CaptionLength, Box.Text, Box.TextLength, Plain, &Box.CopyLength);
  int Answer = RunTerminalBox(Box);
  free(Box.Copy);
  Box.Copy = nullptr;
  return Answer;
}

// The caller ends the program by the signal, once the terminal is back; Ctrl-C arrives as a byte
// while signal keys are off and, where it does not copy, is taken as the SIGINT it would be.
BoxOutcome OutcomeOf(const TerminalBox& Box, int Answer) {
  if (Answer == SIGNALLED) return {BOX_SIGNALLED, 0, Box.EndingSignal};
  if (Answer == NO_TERMINAL) return {BOX_NOT_HERE, 0, 0};
  return {BOX_ANSWERED, Answer, 0};
}

}  // namespace

bool HasControllingTerminal() {
  int Fd = open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (Fd < 0) return false;
  close(Fd);
  return true;
}

BoxOutcome ShowTerminalBox(const BoxRequest& Request, bool AlternateScreen) {
  TerminalBox Box;
  Box.Text = Request.Text;
  Box.TextLength = Request.TextLength;
  Box.Caption = Request.Caption;
  Box.CaptionLength = Request.CaptionLength;
  Box.Icon = ICONS[Request.Icon];
  Box.Model = Request.Model;
  // Before the layout, which sizes the buttons for the hint's longest label.
  StartTimeLimit(&Box.Limit, &Box.Model);
  Box.AlternateScreen = AlternateScreen || AlternateScreenWanted(getenv("ASKBOX_SCREEN"));
  Box.LinesStay = KeepsLinesOnResize(getenv("TERM"));
  Box.RightToLeft = Request.RightToLeft;
  Box.AlignRight = Request.AlignRight;
  Box.Lines = LocaleIsUtf8() ? &UTF8_FRAME : &ASCII_FRAME;
  // The text is UTF-8 for the layout; in a locale of another character set each glyph goes back
  // out in that set.
  GlyphEncoder Encoder;
  Box.Encoder = OpenGlyphEncoder(&Encoder) ? &Encoder : nullptr;
  if (Box.Encoder != nullptr && !KeepsAscii(Encoder)) {
    CloseGlyphEncoder(&Encoder);
    Box.Encoder = nullptr;
  }
  BoxOutcome Outcome = OutcomeOf(Box, RunCopyable(Box, Request.Model));
  if (Box.Encoder != nullptr) CloseGlyphEncoder(&Encoder);
  return Outcome;
}

}  // namespace platform
