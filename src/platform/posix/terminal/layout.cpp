// The terminal box's layout: its size and place on the screen, the text's rows, the button row.
#include "platform/posix/terminal/layout.h"

#include "platform/posix/terminal/text.h"

#include <algorithm>
#include <string.h>

namespace platform {

// Box-drawing light lines and the horizontal ellipsis, spelt as bytes so the source stays ASCII.
const Frame UTF8_FRAME = {"\xe2\x94\x8c", "\xe2\x94\x90", "\xe2\x94\x94", "\xe2\x94\x98",
                          "\xe2\x94\x80", "\xe2\x94\x82", "\xe2\x80\xa6", 1};
const Frame ASCII_FRAME = {"+", "+", "+", "+", "-", "|", "...", 3};

namespace {

const int MIN_INNER = 24;

int LabelLength(const BoxButton& Button) { return static_cast<int>(strlen(Button.Label)); }

// How much of the wrapped text a screen of MaxHeight rows shows: all of it, with blank rows
// around it where they fit, or else its head, whose last row becomes an ellipsis.
struct TextShown {
  int Rows;
  bool Cut;
  bool BlankRows;
};

TextShown FitText(int Lines, int MaxHeight) {
  TextShown Shown = {Lines, false, Lines + 5 <= MaxHeight};
  if (!Shown.BlankRows && Lines + 3 > MaxHeight) {
    Shown.Rows = std::max(MaxHeight - 3, 0);
    Shown.Cut = true;
  }
  return Shown;
}

// The frame's rows go on a screen too low for them; the button row always stays.
int StackRows(const TextShown& Shown, int MaxHeight, short* Kinds) {
  int H = 0;
  if (MaxHeight >= 2) Kinds[H++] = ROW_TOP;
  if (MaxHeight >= 3) {
    if (Shown.BlankRows) Kinds[H++] = ROW_BLANK;
    for (int I = 0; I < Shown.Rows; ++I)
      Kinds[H++] = static_cast<short>(Shown.Cut && I == Shown.Rows - 1 ? ROW_ELLIPSIS : I);
    if (Shown.BlankRows) Kinds[H++] = ROW_BLANK;
  }
  Kinds[H++] = ROW_BUTTONS;
  if (MaxHeight >= 3) Kinds[H++] = ROW_BOTTOM;
  return H;
}

int TextCellsShown(const TerminalBox& Box, const TerminalLayout& L, const TextShown& Shown) {
  int TextCells = 0;
  for (int I = 0; I < Shown.Rows; ++I) {
    bool Ellipsis = Shown.Cut && I == Shown.Rows - 1;
    int W = Ellipsis ? Box.Lines->EllipsisCells : RowCells(Box.Text, L.TextRows[I]);
    TextCells = std::max(TextCells, W);
  }
  return TextCells;
}

// The roomiest button level whose row fits in Room cells.
int FittingButtonLevel(const TerminalBox& Box, int Room) {
  for (int Level = 0; Level < 2; ++Level)
    if (ButtonRowCells(Box, Level) <= Room) return Level;
  return 2;
}

// The inside's width: the content and the caption with their margins, no less than a minimum
// and no more than the screen has.
int InnerCells(const TerminalBox& Box, const TerminalLayout& L, int TextCells, int MaxInner) {
  int Content = std::max(L.IconCells + TextCells, ButtonRowCells(Box, L.ButtonLevel));
  int Inner = Content + 2 * L.Padding;
  if (L.CaptionCells > 0 && L.CaptionCells + 4 > Inner) Inner = L.CaptionCells + 4;
  // Not std::clamp: a screen narrower than the minimum wins over it.
  return std::min(std::max(Inner, MIN_INNER), MaxInner);
}

}  // namespace

// The widest label, padded to a common minimum so that "OK" is not a tiny target.
int ButtonField(const TerminalBox& Box) {
  int Field = 6;
  for (int I = 0; I < Box.Model.ButtonCount; ++I)
    if (LabelLength(Box.Model.Buttons[I]) > Field) Field = LabelLength(Box.Model.Buttons[I]);
  return Field;
}

int ButtonCells(const TerminalBox& Box, int Index, int Level) {
  if (Level == 0) return ButtonField(Box) + 4;
  return LabelLength(Box.Model.Buttons[Index]) + (Level == 1 ? 4 : 2);
}

int ButtonGap(int Level) { return Level < 2 ? 2 : 1; }

int ButtonRowCells(const TerminalBox& Box, int Level) {
  int Cells = ButtonGap(Level) * (Box.Model.ButtonCount - 1);
  for (int I = 0; I < Box.Model.ButtonCount; ++I) Cells += ButtonCells(Box, I, Level);
  return Cells;
}

void ComputeLayout(const TerminalBox& Box, int ScreenRows, int ScreenColumns, TerminalLayout* Out) {
  TerminalLayout& L = *Out;
  // Inline, the line the cursor was on must stay on screen so that it can be returned to.
  int MaxHeight = std::clamp(Box.AlternateScreen ? ScreenRows : ScreenRows - 1, 1, MAX_ROWS);
  int MaxInner = std::max(ScreenColumns - 2, 1);
  L.Padding = MaxInner >= 24 ? 2 : (MaxInner >= 10 ? 1 : 0);
  L.IconCells = Box.Icon ? ICON_CELLS + ICON_GAP : 0;
  int WrapWidth = std::max(MaxInner - 2 * L.Padding - L.IconCells, 1);

  int Lines = WrapText(Box.Text, Box.TextLength, WrapWidth, AdvanceCells, const_cast<unsigned char*>(Box.Text),
                       L.TextRows, MaxHeight + 1);
  TextShown Shown = FitText(Lines, MaxHeight);
  L.Height = StackRows(Shown, MaxHeight, L.Kinds);

  L.ButtonLevel = FittingButtonLevel(Box, MaxInner - 2 * L.Padding);
  L.CaptionCells = LineCells(Box.Caption, Box.CaptionLength);
  int Inner = InnerCells(Box, L, TextCellsShown(Box, L, Shown), MaxInner);
  L.Width = std::min(Inner + 2, ScreenColumns);
  L.Top = Box.AlternateScreen ? std::max((ScreenRows - L.Height) / 2, 0) : 0;
  L.Left = Box.AlternateScreen ? std::max((ScreenColumns - L.Width) / 2, 0) : 0;
}

}  // namespace platform
