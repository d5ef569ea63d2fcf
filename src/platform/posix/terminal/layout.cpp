// The terminal box's layout: its size and place on the screen, the text's rows, the button row.
#include "platform/posix/terminal/layout.h"

#include "platform/posix/terminal/text.h"

#include <string.h>

namespace platform {

// Box-drawing light lines and the horizontal ellipsis, spelt as bytes so the source stays ASCII.
const Frame UTF8_FRAME = {"\xe2\x94\x8c", "\xe2\x94\x90", "\xe2\x94\x94", "\xe2\x94\x98",
                          "\xe2\x94\x80", "\xe2\x94\x82", "\xe2\x80\xa6", 1};
const Frame ASCII_FRAME = {"+", "+", "+", "+", "-", "|", "...", 3};

namespace {

const int MIN_INNER = 24;

int LabelLength(const BoxButton& Button) { return static_cast<int>(strlen(Button.Label)); }

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

void ComputeLayout(const TerminalBox& Box, int ScreenRows, int ScreenColumns, Layout* Out) {
  Layout& L = *Out;
  // Inline, the line the cursor was on must stay on screen so that it can be returned to.
  int MaxHeight = Box.AlternateScreen ? ScreenRows : ScreenRows - 1;
  if (MaxHeight < 1) MaxHeight = 1;
  if (MaxHeight > MAX_ROWS) MaxHeight = MAX_ROWS;
  int MaxInner = ScreenColumns - 2;
  if (MaxInner < 1) MaxInner = 1;
  L.Padding = MaxInner >= 24 ? 2 : (MaxInner >= 10 ? 1 : 0);
  L.IconCells = Box.Icon ? ICON_CELLS + ICON_GAP : 0;
  int WrapWidth = MaxInner - 2 * L.Padding - L.IconCells;
  if (WrapWidth < 1) WrapWidth = 1;

  int Lines = WrapText(Box.Text, Box.TextLength, WrapWidth, AdvanceCells, nullptr, L.TextRows,
                       MaxHeight + 1);
  bool BlankRows = Lines + 5 <= MaxHeight;
  int Shown = Lines;
  bool Cut = false;
  if (!BlankRows && Lines + 3 > MaxHeight) {
    Shown = MaxHeight - 3;
    if (Shown < 0) Shown = 0;
    Cut = true;
  }
  int H = 0;
  if (MaxHeight >= 2) L.Kinds[H++] = ROW_TOP;
  if (MaxHeight >= 3) {
    if (BlankRows) L.Kinds[H++] = ROW_BLANK;
    for (int I = 0; I < Shown; ++I)
      L.Kinds[H++] = static_cast<short>(Cut && I == Shown - 1 ? ROW_ELLIPSIS : I);
    if (BlankRows) L.Kinds[H++] = ROW_BLANK;
  }
  L.Kinds[H++] = ROW_BUTTONS;
  if (MaxHeight >= 3) L.Kinds[H++] = ROW_BOTTOM;
  L.Height = H;

  int TextCells = 0;
  for (int I = 0; I < Shown; ++I) {
    int W = (Cut && I == Shown - 1) ? Box.Lines->EllipsisCells : RowCells(Box.Text, L.TextRows[I]);
    if (W > TextCells) TextCells = W;
  }
  L.ButtonLevel = 2;
  for (int Level = 0; Level < 2; ++Level) {
    if (ButtonRowCells(Box, Level) <= MaxInner - 2 * L.Padding) {
      L.ButtonLevel = Level;
      break;
    }
  }
  int Content = L.IconCells + TextCells;
  int Buttons = ButtonRowCells(Box, L.ButtonLevel);
  if (Buttons > Content) Content = Buttons;
  int Inner = Content + 2 * L.Padding;
  L.CaptionCells = LineCells(Box.Caption, Box.CaptionLength);
  if (L.CaptionCells > 0 && L.CaptionCells + 4 > Inner) Inner = L.CaptionCells + 4;
  if (Inner < MIN_INNER) Inner = MIN_INNER;
  if (Inner > MaxInner) Inner = MaxInner;
  L.Width = Inner + 2;
  if (L.Width > ScreenColumns) L.Width = ScreenColumns;
  L.Top = Box.AlternateScreen ? (ScreenRows - H) / 2 : 0;
  L.Left = Box.AlternateScreen ? (ScreenColumns - L.Width) / 2 : 0;
  if (L.Top < 0) L.Top = 0;
  if (L.Left < 0) L.Left = 0;
}

}  // namespace platform
