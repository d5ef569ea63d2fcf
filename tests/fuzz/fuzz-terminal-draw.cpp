// Fuzz target: the terminal box's layout and drawing, read back from the bytes it writes.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

#include "fuzz-targets.h"
#include "platform/posix/codeset.h"
#include "platform/posix/terminal/draw.h"
#include "platform/posix/terminal/text.h"

using namespace platform;

namespace {

const TerminalIcon ICONS[] = {{"(X)", "\x1b[1;31m"}, {"(?)", "\x1b[1;34m"}, {"/!\\", "\x1b[1;33m"},
                              {"(i)", "\x1b[1;34m"}, {"(*)", "\x1b[1;35m"}};

// What the box wrote, read back from the start of the file standing in for the terminal.
std::string Written() {
  struct stat Status;
  fstat(Tty, &Status);
  std::string Bytes(static_cast<size_t>(Status.st_size), '\0');
  FUZZ_CHECK(pread(Tty, &Bytes[0], Bytes.size(), 0) == static_cast<ssize_t>(Bytes.size()), "reading back");
  return Bytes;
}

struct Screen {
  int Rows, Columns;
};

// A row as a terminal shows it: nothing in it but characters, each taking its cells.
int RowCellsShown(const std::string& Row) {
  const unsigned char* Bytes = reinterpret_cast<const unsigned char*>(Row.data());
  int Cells = 0;
  for (size_t P = 0; P < Row.size();) {
    Glyph G = NextGlyph(Bytes + P, Row.size() - P);
    FUZZ_CHECK(G.Kind == GLYPH_SHOWN, "control or malformed byte drawn in " + Printable(Row));
    Cells += GlyphCells(Bytes, Bytes + P, G);
    P += G.Length;
  }
  return Cells;
}

// The drawn rows, split at the drawing's own cursor movements; its escape sequences are left out,
// and any other escape or control byte fails, since only text or caption could have brought it.
std::vector<std::string> DrawnRows(const std::string& Out, const Screen& S, int BoxWidth) {
  std::vector<std::string> Rows(1);
  for (size_t P = 0; P < Out.size(); ++P) {
    char C = Out[P];
    if (C == '\r' || C == '\n') {
      Rows.emplace_back();
    } else if (C == '\x1b') {
      FUZZ_CHECK(P + 1 < Out.size(), "a lone escape at the end");
      char Kind = Out[++P];
      if (Kind == '8') Rows.emplace_back();  // the cursor goes back to the caller's line
      if (Kind == '7' || Kind == '8') continue;
      FUZZ_CHECK(Kind == '[', "escape sequence other than the drawing's: " + Printable(Out.substr(P - 1, 8)));
      size_t Start = P + 1;
      while (++P < Out.size() && Out[P] >= 0x20 && Out[P] <= 0x3F) {
      }
      FUZZ_CHECK(P < Out.size() && Out[P] >= 0x40 && Out[P] <= 0x7E, "unfinished CSI " + Printable(Out.substr(Start)));
      if (Out[P] == 'm' || Out[Start] == '?') continue;  // attributes, and showing or hiding the cursor
      // The cursor left on the focused button once the box is drawn: on the screen, nothing after it.
      if (Out[P] == 'H' && Out.compare(P + 1, std::string::npos, "\x1b[?25h") == 0) {
        int Row = 0, Column = 0;
        FUZZ_CHECK(sscanf(Out.c_str() + Start, "%d;%d", &Row, &Column) == 2, "cursor position");
        FUZZ_CHECK(Row >= 1 && Row <= S.Rows && Column >= 1 && Column <= S.Columns,
                   "cursor left off the screen at " + std::to_string(Row) + ";" + std::to_string(Column));
        break;
      }
      Rows.emplace_back();
      if (Out[P] == 'H' && P > Start) {
        int Row = 0, Column = 0;
        FUZZ_CHECK(sscanf(Out.c_str() + Start, "%d;%d", &Row, &Column) == 2, "cursor position");
        FUZZ_CHECK(Row >= 1 && Row <= S.Rows && Column >= 1 && Column - 1 + BoxWidth <= S.Columns,
                   "row drawn off the screen at " + std::to_string(Row) + ";" + std::to_string(Column));
      }
    } else {
      FUZZ_CHECK(static_cast<unsigned char>(C) >= 0x20 && C != 0x7F, "control byte " + Printable(std::string(1, C)));
      Rows.back() += C;
    }
  }
  std::vector<std::string> Drawn;
  for (const std::string& Row : Rows)
    if (!Row.empty()) Drawn.push_back(Row);
  return Drawn;
}

std::vector<unsigned char> Take(FuzzInput* Input, size_t Length) {
  std::vector<unsigned char> Bytes;
  while (Bytes.size() < Length && Input->Size > 0) Bytes.push_back(Input->Byte());
  return Bytes;
}

}  // namespace

// Input: the button style, a byte of choices (icon, alternate screen, frame, placed again, Latin-1,
// lines kept on a resize), two bytes each of screen rows and columns, the caption's length, the
// caption, then the text.
int FuzzTerminalDraw(const uint8_t* Data, size_t Size) {
  if (Tty < 0) Tty = memfd_create("terminal", 0);
  FUZZ_CHECK(Tty >= 0 && ftruncate(Tty, 0) == 0 && lseek(Tty, 0, SEEK_SET) == 0, "no file to draw into");
  FuzzInput Input = {Data, Size};
  uint8_t Style = Input.Byte();
  uint8_t Choices = Input.Byte();
  Screen S;
  S.Rows = (Input.Byte() << 8 | Input.Byte()) % 300 + 1;
  S.Columns = (Input.Byte() << 8 | Input.Byte()) % 300 + 1;
  std::vector<unsigned char> Caption = Take(&Input, Input.Byte());
  std::vector<unsigned char> Text = Take(&Input, Input.Size);

  TerminalBox Box;
  Box.Text = Text.data();
  Box.TextLength = Text.size();
  Box.Caption = Caption.data();
  Box.CaptionLength = Caption.size();
  Box.Icon = Choices % 6 == 0 ? nullptr : &ICONS[Choices % 6 - 1];
  MakeBoxModel((Style & 0x30u) << 4 | Style % 7, &Box.Model);
  Box.AlternateScreen = (Choices & 8) != 0;
  Box.LinesStay = (Choices & 128) != 0;
  Box.RightToLeft = (Style & 0x40) != 0;
  Box.AlignRight = (Style & 0x80) != 0;
  Box.Lines = (Choices & 16) != 0 ? &ASCII_FRAME : &UTF8_FRAME;
  // The locale the box would have picked this frame in, whatever the environment the test runs in
  // or an earlier target left: the C locale, like UTF-8 ones, takes the text as UTF-8. A Latin-1
  // terminal gets the glyphs in its own set, where 0x80-0x9F would be controls.
  bool Latin1 = (Choices & 64) != 0;
  if (Latin1) Box.Lines = &ASCII_FRAME;
  setenv("LC_ALL", Latin1 ? "en_US.ISO-8859-1" : Box.Lines == &UTF8_FRAME ? "C.UTF-8" : "C", 1);
  GlyphEncoder Encoder;
  Box.Encoder = OpenGlyphEncoder(&Encoder) ? &Encoder : nullptr;
  DiscardOutput();
  ComputeLayout(Box, S.Rows, S.Columns, &Box.Layout);
  Place(Box, (Choices & 32) != 0 ? DRAW_AGAIN : DRAW_FRESH);
  Draw(Box);

  const TerminalLayout& L = Box.Layout;
  std::string OnScreen = std::to_string(S.Rows) + "x" + std::to_string(S.Columns);
  int MaxHeight = Box.AlternateScreen || S.Rows == 1 ? S.Rows : S.Rows - 1;
  FUZZ_CHECK(L.Width >= 1 && L.Width <= S.Columns && L.Height >= 1 && L.Height <= MaxHeight,
             "box of " + std::to_string(L.Height) + "x" + std::to_string(L.Width) + " on " + OnScreen);
  std::vector<std::string> Rows = DrawnRows(Written(), S, L.Width);
  if (Box.Encoder) CloseGlyphEncoder(Box.Encoder);
  for (std::string& Row : Rows) {
    if (!Latin1) continue;
    for (char C : Row) FUZZ_CHECK((C & 0xE0) != 0x80, "a C1 byte drawn for Latin-1: " + Printable(Row));
    std::string Utf8(Utf8Room(Row.size()), '\0');
    Utf8.resize(Latin1ToUtf8(Row.data(), Row.size(), &Utf8[0], Utf8.size()));
    Row = Utf8;
  }
  FUZZ_CHECK(static_cast<int>(Rows.size()) == L.Height,
             std::to_string(Rows.size()) + " rows drawn for a height of " + std::to_string(L.Height));
  for (int I = 0; I < L.Height; ++I) {
    // The right-hand border lines up: every row takes the box's width exactly.
    int Cells = RowCellsShown(Rows[I]);
    FUZZ_CHECK(Cells == L.Width, "row " + std::to_string(I) + " of " + std::to_string(Cells) + " cells, not " +
                                     std::to_string(L.Width) + ": " + Printable(Rows[I]) + " on " + OnScreen);
    if (L.Kinds[I] != ROW_BUTTONS) continue;
    // Every label stays whole wherever the labels alone fit between the borders, and the focused
    // one wherever it fits there by itself.
    const BoxModel& M = Box.Model;
    int Tight = -1;
    for (int B = 0; B < M.ButtonCount; ++B) Tight += static_cast<int>(strlen(M.Buttons[B].Label)) + 1;
    for (int B = 0; B < M.ButtonCount; ++B) {
      bool Fits = Tight + 2 <= S.Columns ||
                  (B == M.Focus && static_cast<int>(strlen(M.Buttons[B].Label)) + 2 <= S.Columns);
      FUZZ_CHECK(!Fits || Rows[I].find(M.Buttons[B].Label) != std::string::npos,
                 std::string("button ") + M.Buttons[B].Label + " missing from " + Printable(Rows[I]));
    }
    // Mirrored, the first button is the rightmost.
    int Last = Box.Model.ButtonCount - 1;
    if (Tight + 2 <= S.Columns && Last > 0)
      FUZZ_CHECK((Rows[I].find(Box.Model.Buttons[0].Label) > Rows[I].find(Box.Model.Buttons[Last].Label)) ==
                     Box.RightToLeft,
                 "buttons in the wrong order: " + Printable(Rows[I]));
  }
  return 0;
}
