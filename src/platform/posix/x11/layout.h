// Where the window's icon, text rows and buttons go, in pixels, for a given font and screen.
#ifndef ASKBOX_PLATFORM_POSIX_X11_LAYOUT_H
#define ASKBOX_PLATFORM_POSIX_X11_LAYOUT_H

#include "platform/posix/box/model.h"

namespace platform {

const int MAX_WINDOW_ROWS = 512;

struct WindowMetrics {
  double Scale;  // the display's DPI over 96: every distance below grows with it
  int LineHeight;
  int Ascent;
  int ScreenWidth;
  int ScreenHeight;
};

struct WindowContent {
  const unsigned char* Text;  // clean UTF-8: no controls but tab and line feed
  size_t TextLength;
  bool HasIcon;
  int ButtonCount;
  int LabelPixels[MAX_BUTTONS];
  int CaptionPixels;  // so that the title fits the title bar where the screen allows
  bool RightToLeft;  // MB_RTLREADING: the box mirrored, icon on the right and buttons from the left
  bool AlignRight;  // rows end at the text's right edge rather than start at its left
};

struct WindowLayout {
  int Width, Height;
  int IconX, IconY, IconSize;
  int TextX, TextY;  // the top left of the first row
  int TextRight;  // the right edge of the rows; each is drawn from TextX or up to this
  bool AlignRight;
  int RowCount;
  bool Cut;  // rows past the screen were left out; the last row shown is an ellipsis
  Span Rows[MAX_WINDOW_ROWS];
  int StripY;  // the top of the band the buttons sit on
  int ButtonY, ButtonWidth, ButtonHeight;
  int ButtonX[MAX_BUTTONS];
};

// The text is wrapped at the narrowest of a few widths that keeps it from growing taller than
// wide, so a long message makes a wider box rather than a tower; rows that still do not fit the
// screen are cut so that the buttons always stay on it. Buttons too wide for the screen share
// its width, so the window is never wider than the screen as long as they get a little each.
void LayOutWindow(const WindowContent& Content, GlyphAdvance Advance, void* Context,
                  const WindowMetrics& Metrics, WindowLayout* Out);

}  // namespace platform

#endif
