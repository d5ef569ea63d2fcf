// Drawing the terminal box: frame, caption, icon, text rows and buttons, cropped to the screen.
#include "platform/posix/terminal/draw.h"

#include "platform/posix/codeset.h"
#include "platform/decimal.h"
#include "platform/posix/terminal/text.h"
#include "platform/posix/time-limit.h"

#include <algorithm>
#include <errno.h>
#include <poll.h>
#include <string.h>
#include <unistd.h>

namespace platform {

int Tty = -1;

namespace {

char Out[4096];
size_t OutLength;
// What may cut a wait for the terminal short: a byte on the wake pipe, the deadline (-1: none).
int OutputWake = -1;
int64_t OutputDeadlineMs = -1;
bool Cut;  // output was dropped since the last CAN

// Cells of the box row being drawn; anything past the limit is dropped rather than wrapped,
// so a screen too small for the box crops it instead of scrambling the rows below.
int Column;
// Where the focused button's label starts, from the box's left edge and top, as last drawn.
int FocusColumn, FocusRow;
// The inline box's row the cursor was left on; -1 for the caller's spot.
int CursorRow = -1;
int Limit;
bool Clipped;

void BeginArea(int NewLimit) {
  Limit = NewLimit;
  Clipped = false;
}

void PutGlyph(const char* Bytes, size_t Length, int Cells) {
  if (Clipped || Column + Cells > Limit) {
    Clipped = true;
    return;
  }
  Put(Bytes, Length);
  Column += Cells;
}

void PutGlyph(const char* Bytes, int Cells) { PutGlyph(Bytes, strlen(Bytes), Cells); }

void PadTo(int Target) {
  while (Column < Target && Column < Limit) {
    Put(" ", 1);
    ++Column;
  }
}

void PutCursorTo(int Row, int Col) {
  char Buffer[32];
  Put(Buffer, FormatCursorTo(Buffer, Row, Col));
}

// Whether a glyph's bytes in the terminal's set are plain text to it: none is a C0 control or
// DEL (sets such as TCVN and VISCII put letters there, ISO-2022 its shifts and escapes), and no
// single byte is in 0x80-0x9F, a C1 control to an 8-bit terminal.
bool PlainText(const char* Bytes, size_t Length) {
  unsigned char First = static_cast<unsigned char>(Bytes[0]);
  if (Length == 1 && First >= 0x80 && First <= 0x9F) return false;
  for (size_t I = 0; I < Length; ++I) {
    unsigned char Byte = static_cast<unsigned char>(Bytes[I]);
    if (Byte < 0x20 || Byte == 0x7F) return false;
  }
  return true;
}

// A shown glyph in the terminal's own character set. One the set lacks, or whose bytes there
// would be a command to the terminal, is a '?' padded to the cells it was given.
void PutShown(GlyphEncoder* Encoder, const unsigned char* Bytes, size_t Length, int Cells) {
  const char* Utf8 = reinterpret_cast<const char*>(Bytes);
  if (Encoder == nullptr) {
    PutGlyph(Utf8, Length, Cells);
    return;
  }
  char Encoded[16];
  size_t N = EncodeGlyph(*Encoder, Utf8, Length, Encoded, sizeof Encoded);
  if (N > 0 && PlainText(Encoded, N)) {
    PutGlyph(Encoded, N, Cells);
  } else if (Cells > 0) {
    PutGlyph("?", 1, 1);
    for (int I = 1; I < Cells; ++I) PutGlyph(" ", 1, 1);
  }
}

// Drawn as it is: a shown character that terminals agree on the width of.
bool DrawnAsIs(const Glyph& G) { return G.Kind == GLYPH_SHOWN && CodeCells(G.Code) != NOT_PRINTABLE; }

// A zero-width joiner is held back until the glyph it joins is drawn: one that a row's end, a
// cut or a character that does not join follows would join the terminal's next character, an
// ellipsis or a border, to the glyph before it.
struct HeldJoiner {
  const unsigned char* Bytes = nullptr;
  size_t Length = 0;
  // True for a joiner, which waits; else the joiner before it goes out where the glyph joins.
  bool Hold(const unsigned char* Text, const GlyphStep& S, bool Joining) {
    if (Joining && IsJoiner(S.G)) {
      Bytes = Text + S.At;
      Length = S.G.Length;
      return true;
    }
    if (Bytes != nullptr && Joinable(S.G)) PutGlyph(reinterpret_cast<const char*>(Bytes), Length, 0);
    Bytes = nullptr;
    return false;
  }
};

// Tabs go out as blanks, substitutes and unprintable characters as '?'.
void DrawTextRow(GlyphEncoder* Encoder, const unsigned char* Text, Span Row) {
  int Cells = 0;
  void* Start = Encoder == nullptr ? const_cast<unsigned char*>(Text) : nullptr;
  HeldJoiner Joiner;
  for (const GlyphStep& S : GlyphsOf(Text, Row)) {
    int Next = AdvanceCells(Start, Text + S.At, S.G, Cells);
    if (Joiner.Hold(Text, S, Start != nullptr)) continue;
    if (S.G.Kind == GLYPH_TAB) {
      for (int I = Cells; I < Next; ++I) PutGlyph(" ", 1, 1);
    } else if (DrawnAsIs(S.G)) {
      PutShown(Encoder, Text + S.At, S.G.Length, Next - Cells);
    } else {
      PutGlyph("?", 1, 1);
    }
    Cells = Next;
  }
}

void DrawCaption(const TerminalBox& Box, int Room) {
  bool Fits = Box.Layout.CaptionCells <= Room;
  int Budget = Fits ? Room : Room - Box.Lines->EllipsisCells;
  int Used = 0;
  const unsigned char* Start = Joining(Box) ? Box.Caption : nullptr;
  HeldJoiner Joiner;
  for (const GlyphStep& S : GlyphsOf(Box.Caption, Box.CaptionLength)) {
    int Cells = GlyphCells(Start, Box.Caption + S.At, S.G);
    if (Used + Cells > Budget) break;
    if (Joiner.Hold(Box.Caption, S, Start != nullptr)) continue;
    if (DrawnAsIs(S.G)) {
      PutShown(Box.Encoder, Box.Caption + S.At, S.G.Length, Cells);
    } else {
      PutGlyph(S.G.Kind == GLYPH_TAB ? " " : "?", 1, 1);
    }
    Used += Cells;
  }
  if (!Fits) PutGlyph(Box.Lines->Ellipsis, Box.Lines->EllipsisCells);
}

void DrawButtons(const TerminalBox& Box) {
  const TerminalLayout& L = Box.Layout;
  int Level = L.ButtonLevel;
  int First = 0, Last = Box.Model.ButtonCount - 1;
  if (Level == BUTTONS_AROUND_FOCUS) ButtonsAroundFocus(Box, L.Width - 2, &First, &Last);
  PadTo(1 + std::max(L.Width - 2 - ButtonRunCells(Box, Level, First, Last), 0) / 2);
  bool Bracketed = Level < 3;
  for (int Place = 0; Place <= Last - First; ++Place) {
    int I = Box.RightToLeft ? Last - Place : First + Place;
    const BoxButton& Button = Box.Model.Buttons[I];
    if (Place > 0) PadTo(Column + ButtonGap(Level));
    const unsigned char* Label = reinterpret_cast<const unsigned char*>(Button.Label);
    size_t Bytes = strlen(Button.Label);
    int Length = LineCells(Label, Bytes, false);
    int Field = Level == 0 ? ButtonField(Box) : Length;
    int Inset = Level < 2 ? 1 : 0;
    int Before = (Field - Length) / 2;
    bool Focused = I == Box.Model.Focus;
    if (Focused) Put("\x1b[7m");
    if (Bracketed) PutGlyph("[", 1);
    for (int K = 0; K < Inset + Before; ++K) PutGlyph(" ", 1);
    if (Focused) FocusColumn = Column;
    if (Button.AcceleratorAt >= 0) {
      size_t At = static_cast<size_t>(Button.AcceleratorAt);
      DrawTextRow(Box.Encoder, Label, Span{0, At});
      Put("\x1b[4m");
      DrawTextRow(Box.Encoder, Label, Span{At, At + 1});
      Put("\x1b[24m");
      DrawTextRow(Box.Encoder, Label, Span{At + 1, Bytes});
    } else {
      DrawTextRow(Box.Encoder, Label, Span{0, Bytes});
    }
    for (int K = 0; K < Field - Length - Before + Inset; ++K) PutGlyph(" ", 1);
    if (Bracketed) PutGlyph("]", 1);
    if (Focused) Put("\x1b[27m");
  }
}

void DrawIcon(const TerminalIcon& Icon) {
  Put(Icon.Colour);
  PutGlyph(Icon.Picture, ICON_CELLS);
  Put("\x1b[0m");
}

void DrawRow(const TerminalBox& Box, int Index) {
  const TerminalLayout& L = Box.Layout;
  const Frame& F = *Box.Lines;
  int Kind = L.Kinds[Index];
  Column = 0;
  BeginArea(L.Width);
  if (Kind == ROW_TOP || Kind == ROW_BOTTOM) {
    PutGlyph(Kind == ROW_TOP ? F.TopLeft : F.BottomLeft, 1);
    if (Kind == ROW_TOP && L.CaptionCells > 0 && L.Width - 2 >= 4 + 1) {
      PutGlyph(F.Horizontal, 1);
      PutGlyph(" ", 1);
      Put("\x1b[1m");
      DrawCaption(Box, L.Width - 2 - 4);
      Put("\x1b[22m");
      PutGlyph(" ", 1);
    }
    for (int C = Column; C < L.Width - 1; ++C) PutGlyph(F.Horizontal, 1);
    PutGlyph(Kind == ROW_TOP ? F.TopRight : F.BottomRight, 1);
    return;
  }
  PutGlyph(F.Vertical, 1);
  if (Kind == ROW_BUTTONS) {
    FocusRow = Index;
    BeginArea(L.Width - 1);
    DrawButtons(Box);
  } else if (Kind != ROW_BLANK) {
    BeginArea(L.Width - 1 - L.Padding);
    int TextLeft = 1 + L.Padding + (Box.RightToLeft ? 0 : L.IconCells);
    int TextEnd = L.Width - 1 - L.Padding - (Box.RightToLeft ? L.IconCells : 0);
    bool IconBeside = Box.Icon && Kind == 0;  // the icon stands level with the first row of text
    PadTo(1 + L.Padding);
    if (IconBeside && !Box.RightToLeft) DrawIcon(*Box.Icon);
    PadTo(TextLeft);
    if (Box.AlignRight)
      PadTo(TextEnd - (Kind == ROW_ELLIPSIS ? F.EllipsisCells : RowCells(Box.Text, L.TextRows[Kind], Joining(Box))));
    if (Kind == ROW_ELLIPSIS) {
      PutGlyph(F.Ellipsis, F.EllipsisCells);
    } else {
      DrawTextRow(Box.Encoder, Box.Text, L.TextRows[Kind]);
    }
    if (IconBeside && Box.RightToLeft) {
      PadTo(TextEnd + ICON_GAP);
      DrawIcon(*Box.Icon);
    }
  }
  BeginArea(L.Width - 1);
  PadTo(L.Width - 1);
  BeginArea(L.Width);
  PutGlyph(F.Vertical, 1);
}

// Inline, the cursor position is kept by the terminal (DECSC) rather than asked for with a
// position report: it needs no reply, so it also works where none would ever come.
void MoveToRow(const TerminalBox& Box, int Index) {
  if (Box.AlternateScreen) {
    PutCursorTo(Box.Layout.Top + Index, Box.Layout.Left);
    return;
  }
  Put(Index == 0 ? "\x1b" "8\n\r" : "\r\n");
}

// Waits for the terminal to take more; false where a signal or the deadline came first.
bool AwaitRoom() {
  pollfd Fds[2] = {{Tty, POLLOUT, 0}, {OutputWake, POLLIN, 0}};
  for (;;) {
    int Wait = -1;
    if (OutputDeadlineMs >= 0) Wait = static_cast<int>(std::max(OutputDeadlineMs - NowMs(), int64_t{0}));
    int Ready = poll(Fds, OutputWake >= 0 ? 2 : 1, Wait);
    if (Ready < 0 && errno == EINTR) continue;
    return Ready > 0 && (OutputWake < 0 || Fds[1].revents == 0);
  }
}

bool Send(const char* Data, size_t Length) {
  while (Length > 0) {
    ssize_t N = write(Tty, Data, Length);
    if (N > 0) {
      Data += N;
      Length -= static_cast<size_t>(N);
      continue;
    }
    if (N < 0 && errno == EINTR) continue;
    if (N == 0 || errno != EAGAIN || !AwaitRoom()) return false;
  }
  return true;
}

}  // namespace

// Async-signal-safe: the clock and poll() only.
void WriteAll(int Fd, const char* Data, size_t Length, int WithinMs) {
  int64_t GiveUpAt = NowMs() + WithinMs;
  while (Length > 0) {
    ssize_t N = write(Fd, Data, Length);
    if (N > 0) {
      Data += N;
      Length -= static_cast<size_t>(N);
      continue;
    }
    if (N < 0 && errno == EINTR) continue;
    int64_t Left = GiveUpAt - NowMs();
    if (N < 0 && errno == EAGAIN && Left > 0) {
      pollfd Wait = {Fd, POLLOUT, 0};
      if (poll(&Wait, 1, static_cast<int>(Left)) >= 0 || errno == EINTR) continue;
    }
    return;  // the terminal is gone or nobody reads it; there is nobody to show these bytes to
  }
}

void WaitOutputFor(int WakeFd, int64_t DeadlineMs) {
  OutputWake = WakeFd;
  OutputDeadlineMs = DeadlineMs;
}

// The terminal is written without blocking, so that a terminal nobody reads (a stalled ssh link)
// holds the box only until the wake pipe says a signal came or the deadline passes: then the rest
// is dropped, and the next output starts with a CAN, in case that cut an escape sequence in half.
void Flush() {
  size_t Length = OutLength;
  OutLength = 0;
  if (Length == 0) return;
  if (Cut) Cut = !Send("\x18", 1);
  if (!Cut) Cut = !Send(Out, Length);
}
void DiscardOutput() {
  OutLength = 0;
  Cut = false;
}

void Put(const char* Bytes, size_t Length) {
  while (Length > 0) {
    if (OutLength == sizeof Out) Flush();
    size_t Room = sizeof Out - OutLength;
    size_t Chunk = std::min(Length, Room);
    memcpy(Out + OutLength, Bytes, Chunk);
    OutLength += Chunk;
    Bytes += Chunk;
    Length -= Chunk;
  }
}

void Put(const char* Bytes) { Put(Bytes, strlen(Bytes)); }

size_t FormatCsi(char* Buffer, unsigned Number, char Final) {
  Buffer[0] = '\x1b';
  Buffer[1] = '[';
  size_t N = 2 + static_cast<size_t>(FormatDecimal(Buffer + 2, Number));
  Buffer[N++] = Final;
  return N;
}

size_t FormatCursorTo(char* Buffer, int Row, int Col) {
  size_t N = FormatCsi(Buffer, static_cast<unsigned>(Row + 1), ';');
  N += static_cast<size_t>(FormatDecimal(Buffer + N, Col + 1));
  Buffer[N++] = 'H';
  return N;
}

// The cursor is left on the focused button's label, shown, as dialog and whiptail leave it, so
// that a console screen reader or a braille display follows the focus. Inline that is only on the
// Linux console, which cuts its lines on a resize and keeps no scrollback. A terminal emulator made
// lower keeps its cursor on the screen by pushing the rows above it into the scrollback, where no
// erase reaches them: with the cursor on the button, rows of the box. One that rewraps its lines
// (tmux, VTE) moves the real cursor along with its line, but not the saved one. There the hidden
// cursor is parked back on the caller's spot after every draw instead: the terminal carries it
// along, and what it pushes away is the caller's own.
void Draw(const TerminalBox& Box) {
  bool ShowFocus = Box.AlternateScreen || Box.LinesStay;
  FocusRow = -1;
  if (ShowFocus) Put("\x1b[?25l");
  for (int I = 0; I < Box.Layout.Height; ++I) {
    MoveToRow(Box, I);
    DrawRow(Box, I);
  }
  CursorRow = -1;
  int LabelAt = Box.Layout.Left + std::min(FocusColumn, Box.Layout.Width - 1);
  if (!ShowFocus || FocusRow < 0) {
    if (!Box.AlternateScreen) Put("\x1b" "8");
    Flush();
    return;
  }
  if (Box.AlternateScreen) {
    PutCursorTo(Box.Layout.Top + FocusRow, LabelAt);
  } else {
    char Move[16];
    Put("\x1b" "8");
    Put(Move, FormatCsi(Move, static_cast<unsigned>(FocusRow + 1), 'B'));
    Put("\r");
    if (LabelAt > 0) Put(Move, FormatCsi(Move, static_cast<unsigned>(LabelAt), 'C'));
    CursorRow = FocusRow;
  }
  Put("\x1b[?25h");
  Flush();
}

// The parked cursor is on the caller's spot already, wherever the terminal took that line. One
// left on a button is that many rows below the box's first one, however the screen scrolled, and
// the caller's spot is then where the terminal saved it.
void EraseInlineBox() {
  if (CursorRow < 0) {
    Put("\x1b[J");
    return;
  }
  if (CursorRow > 0) {
    char Up[16];
    Put(Up, FormatCsi(Up, static_cast<unsigned>(CursorRow), 'A'));
  }
  Put("\r\x1b[J\x1b" "8");
  CursorRow = -1;
}

// Inline, the box goes on the lines below the cursor. Line feeds (without output processing they
// keep the column) scroll the screen if the room is not there yet; the same number of lines up
// is then the cursor's own spot again, whatever the scrolling did, and that is what gets saved.
void Place(const TerminalBox& Box, Drawing How) {
  if (Box.AlternateScreen) {
    Put("\x1b[H\x1b[2J");
    return;
  }
  // Over the box already there, after a stop that could not be caught: a resize takes the
  // alternate screen instead.
  if (How == DRAW_AGAIN) {
    EraseInlineBox();
    Put("\x1b" "7");
  }
  CursorRow = -1;
  for (int I = 0; I < Box.Layout.Height; ++I) Put("\n", 1);
  char Up[16];
  Put(Up, FormatCsi(Up, static_cast<unsigned>(Box.Layout.Height), 'A'));
  Put("\x1b" "7");
}

}  // namespace platform
