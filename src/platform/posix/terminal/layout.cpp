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

int LabelLength(const BoxButton& Button) {
  return LineCells(reinterpret_cast<const unsigned char*>(Button.Label), strlen(Button.Label), false);
}

// How much of the wrapped text a screen of MaxHeight rows shows: all of it, with blank rows
// around it where they fit, or else its head, whose last row becomes an ellipsis; and how many
// rows of the frame go around it (see StackRows).
struct TextShown {
  int Rows;
  bool Cut;
  bool BlankRows;
  int FrameRows;
};

// The text keeps a row before its ellipsis: the frame's bottom row goes first, then its top.
TextShown FitText(int Lines, int MaxHeight) {
  TextShown Shown = {Lines, false, Lines + 5 <= MaxHeight, 2};
  if (Shown.BlankRows) return Shown;
  for (; Shown.FrameRows > 0; --Shown.FrameRows) {
    int Room = MaxHeight - 1 - Shown.FrameRows;
    if (Lines <= Room || Room >= 2) break;
  }
  int Room = std::max(MaxHeight - 1 - Shown.FrameRows, 0);
  if (Lines > Room) {
    Shown.Rows = Room;
    Shown.Cut = Room >= 2;  // a single row is the text's first, not an ellipsis alone
  }
  return Shown;
}

// The frame's top and bottom rows go on a screen too low for them; the button row always stays.
int StackRows(const TextShown& Shown, short* Kinds) {
  int H = 0;
  if (Shown.FrameRows >= 1) Kinds[H++] = ROW_TOP;
  if (Shown.BlankRows) Kinds[H++] = ROW_BLANK;
  for (int I = 0; I < Shown.Rows; ++I)
    Kinds[H++] = static_cast<short>(Shown.Cut && I == Shown.Rows - 1 ? ROW_ELLIPSIS : I);
  if (Shown.BlankRows) Kinds[H++] = ROW_BLANK;
  Kinds[H++] = ROW_BUTTONS;
  if (Shown.FrameRows >= 2) Kinds[H++] = ROW_BOTTOM;
  return H;
}

int TextCellsShown(const TerminalBox& Box, const TerminalLayout& L, const TextShown& Shown) {
  int TextCells = 0;
  for (int I = 0; I < Shown.Rows; ++I) {
    bool Ellipsis = Shown.Cut && I == Shown.Rows - 1;
    int W = Ellipsis ? Box.Lines->EllipsisCells : RowCells(Box.Text, L.TextRows[I], Joining(Box));
    TextCells = std::max(TextCells, W);
  }
  return TextCells;
}

// The roomiest button level whose row fits: the bracketed ones within the padding, the tighter
// ones (see ButtonCells) in the whole inside.
int FittingButtonLevel(const TerminalBox& Box, int Padded, int Inner) {
  for (int Level = 0; Level < BUTTONS_AROUND_FOCUS; ++Level)
    if (ButtonRowCells(Box, Level) <= (Level < 2 ? Padded : Inner)) return Level;
  return BUTTONS_AROUND_FOCUS;
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
  int Length = LabelLength(Box.Model.Buttons[Index]);
  if (Level == 1) return Length + 4;
  return Level == 2 ? Length + 2 : Length;
}

int ButtonGap(int Level) { return Level < 2 ? 2 : 1; }

int ButtonRowCells(const TerminalBox& Box, int Level) {
  int First = 0, Last = Box.Model.ButtonCount - 1;
  // Around the focus, the narrowest the row gets is the focused button alone.
  if (Level == BUTTONS_AROUND_FOCUS) First = Last = Box.Model.Focus;
  return ButtonRunCells(Box, Level, First, Last);
}

int ButtonRunCells(const TerminalBox& Box, int Level, int First, int Last) {
  int Cells = ButtonGap(Level) * (Last - First);
  for (int I = First; I <= Last; ++I) Cells += ButtonCells(Box, I, Level);
  return Cells;
}

// The focused button, then its neighbours in turn, the next one first, while they fit whole.
void ButtonsAroundFocus(const TerminalBox& Box, int Room, int* First, int* Last) {
  int Level = BUTTONS_AROUND_FOCUS;
  *First = *Last = Box.Model.Focus;
  for (bool Grew = true; Grew;) {
    Grew = false;
    if (*Last + 1 < Box.Model.ButtonCount && ButtonRunCells(Box, Level, *First, *Last + 1) <= Room) {
      ++*Last;
      Grew = true;
    }
    if (*First > 0 && ButtonRunCells(Box, Level, *First - 1, *Last) <= Room) {
      --*First;
      Grew = true;
    }
  }
}

void ComputeLayout(const TerminalBox& Box, int ScreenRows, int ScreenColumns, TerminalLayout* Out) {
  TerminalLayout& L = *Out;
  // Inline, the line the cursor was on must stay on screen so that it can be returned to.
  int MaxHeight = std::clamp(Box.AlternateScreen ? ScreenRows : ScreenRows - 1, 1, MAX_ROWS);
  int MaxInner = std::max(ScreenColumns - 2, 1);
  L.Padding = MaxInner >= 24 ? 2 : (MaxInner >= 10 ? 1 : 0);
  L.IconCells = Box.Icon ? ICON_CELLS + ICON_GAP : 0;
  int WrapWidth = std::max(MaxInner - 2 * L.Padding - L.IconCells, 1);

  void* JoinStart = Joining(Box) ? const_cast<unsigned char*>(Box.Text) : nullptr;
  int Lines = WrapText(Box.Text, Box.TextLength, WrapWidth, AdvanceCells, JoinStart, L.TextRows, MaxHeight + 1);
  TextShown Shown = FitText(Lines, MaxHeight);
  L.Height = StackRows(Shown, L.Kinds);

  L.ButtonLevel = FittingButtonLevel(Box, MaxInner - 2 * L.Padding, MaxInner);
  L.CaptionCells = LineCells(Box.Caption, Box.CaptionLength, Joining(Box));
  int Inner = InnerCells(Box, L, TextCellsShown(Box, L, Shown), MaxInner);
  L.Width = std::min(Inner + 2, ScreenColumns);
  L.Top = Box.AlternateScreen ? std::max((ScreenRows - L.Height) / 2, 0) : 0;
  L.Left = Box.AlternateScreen ? std::max((ScreenColumns - L.Width) / 2, 0) : 0;
}

}  // namespace platform
