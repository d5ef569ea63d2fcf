// Where the terminal box's rows, text and buttons go on a screen of a given size.
#ifndef ASKBOX_PLATFORM_POSIX_TERMINAL_LAYOUT_H
#define ASKBOX_PLATFORM_POSIX_TERMINAL_LAYOUT_H

#include "platform/posix/box/model.h"
#include "platform/posix/time-limit.h"

namespace platform {

struct GlyphEncoder;

struct Frame {
  const char* TopLeft;
  const char* TopRight;
  const char* BottomLeft;
  const char* BottomRight;
  const char* Horizontal;
  const char* Vertical;
  const char* Ellipsis;
  int EllipsisCells;
};

extern const Frame UTF8_FRAME;
extern const Frame ASCII_FRAME;

struct TerminalIcon {
  const char* Picture;
  const char* Colour;  // the SGR sequence it is drawn in
};

const int ICON_CELLS = 3;
const int ICON_GAP = 2;

// A row of the box is one of these, or else the index of the text row it shows.
enum RowKind { ROW_TOP = -1, ROW_BLANK = -2, ROW_ELLIPSIS = -3, ROW_BUTTONS = -4, ROW_BOTTOM = -5 };

const int MAX_ROWS = 512;

struct TerminalLayout {
  int Top, Left, Width, Height;
  int Padding, IconCells, ButtonLevel, CaptionCells;
  short Kinds[MAX_ROWS];
  Span TextRows[MAX_ROWS + 1];
};

struct TerminalBox {
  const unsigned char* Text;
  size_t TextLength;
  const unsigned char* Caption;
  size_t CaptionLength;
  const TerminalIcon* Icon;  // none when null
  BoxModel Model;
  bool AlternateScreen;  // the console is hidden: the box takes the whole alternate screen
  // The terminal neither rewraps its lines on a resize nor pushes them into a scrollback (the Linux
  // console), so inline the cursor may leave the caller's spot for the focused button and find its
  // way back by counting rows.
  bool LinesStay = false;
  const Frame* Lines;
  // Turns the UTF-8 text's glyphs into the terminal's character set; null where the terminal
  // takes UTF-8 as it is.
  GlyphEncoder* Encoder;
  // MB_RTLREADING: the icon on the right and the buttons in the reverse order; the terminal
  // itself orders the characters of a row.
  bool RightToLeft = false;
  bool AlignRight = false;  // rows end at the text's right edge
  TerminalLayout Layout;  // for the screen's size now
  // While the box is up: its time limit, the signal it is left for (else 0), and the box as
  // text for Ctrl+C where the terminal takes a clipboard (else null).
  TimeLimit Limit;
  int EndingSignal = 0;
  char* Copy = nullptr;
  size_t CopyLength = 0;
};

// A joiner reaches only a terminal that takes UTF-8: in another set the characters it would join
// are each drawn in cells of their own.
inline bool Joining(const TerminalBox& Box) { return Box.Encoder == nullptr; }

// Space is given up in order as the screen shrinks: the blank rows around the text, then the
// text's tail (an ellipsis row says so) down to a row before the ellipsis, then the frame's
// bottom and top rows, then the padding, then the buttons' brackets; the focused button always
// stays whole where the screen is as wide as its label.
void ComputeLayout(const TerminalBox& Box, int ScreenRows, int ScreenColumns, TerminalLayout* Out);

// Level 0: equal buttons "[ label ]", 1: each as wide as its label, 2: "[label]" packed tight,
// 3: the labels alone, the focus in reverse video, BUTTONS_AROUND_FOCUS: as at 3, but only the
// focused button and those beside it that fit whole.
const int BUTTONS_AROUND_FOCUS = 4;
int ButtonField(const TerminalBox& Box);
int ButtonCells(const TerminalBox& Box, int Index, int Level);
int ButtonGap(int Level);
int ButtonRowCells(const TerminalBox& Box, int Level);
// The cells of the buttons First to Last (in the model's order) side by side.
int ButtonRunCells(const TerminalBox& Box, int Level, int First, int Last);
// The buttons drawn around the focus in Room cells.
void ButtonsAroundFocus(const TerminalBox& Box, int Room, int* First, int* Last);

}  // namespace platform

#endif
