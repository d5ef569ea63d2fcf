// The window's layout in pixels: wrap width, rows that fit the screen, icon and buttons, Windows' proportions.
#include "platform/posix/x11/layout.h"

#include <algorithm>

namespace platform {
namespace {

// At 96 DPI, close to the proportions of a Windows message box.
const int MARGIN = 20;
const int ICON = 32;
const int ICON_TEXT_GAP = 12;
const int BUTTON_MIN_WIDTH = 86;
const int BUTTON_MIN_HEIGHT = 26;
const int BUTTON_SQUEEZED = 24;  // the least a button keeps when a small screen cannot hold them
const int BUTTON_PADDING = 12;
const int BUTTON_GAP = 10;
const int STRIP_PADDING = 12;
const int MIN_WIDTH = 220;
// Room for the frame the window manager adds, and the title bar's buttons beside the caption.
const int FRAME_ALLOWANCE = 60;
const int TITLE_BUTTONS = 110;
const int WRAP_WIDTHS[] = {360, 480, 640, 800, 1000, 1300};

int Scaled(double Scale, int Pixels) { return static_cast<int>(Pixels * Scale + 0.5); }

int Widest(const unsigned char* Text, const Span* Rows, int Count, GlyphAdvance Advance, void* Context) {
  int Widest = 0;
  for (int I = 0; I < Count; ++I) Widest = std::max(Widest, TextAdvance(Text, Rows[I], Advance, Context));
  return Widest;
}

}  // namespace

void LayOutWindow(const WindowContent& Content, GlyphAdvance Advance, void* Context,
                  const WindowMetrics& Metrics, WindowLayout* Out) {
  WindowLayout& L = *Out;
  double S = Metrics.Scale;
  int Margin = Scaled(S, MARGIN);
  L.IconSize = Content.HasIcon ? Scaled(S, ICON) : 0;
  int TextLeft = Margin + (Content.HasIcon ? L.IconSize + Scaled(S, ICON_TEXT_GAP) : 0);

  L.ButtonHeight = Scaled(S, BUTTON_MIN_HEIGHT);
  if (Metrics.LineHeight + Scaled(S, 8) > L.ButtonHeight) L.ButtonHeight = Metrics.LineHeight + Scaled(S, 8);
  L.ButtonWidth = Scaled(S, BUTTON_MIN_WIDTH);
  for (int I = 0; I < Content.ButtonCount; ++I)
    if (Content.LabelPixels[I] + 2 * Scaled(S, BUTTON_PADDING) > L.ButtonWidth)
      L.ButtonWidth = Content.LabelPixels[I] + 2 * Scaled(S, BUTTON_PADDING);
  int Gap = Scaled(S, BUTTON_GAP);
  int StripHeight = L.ButtonHeight + 2 * Scaled(S, STRIP_PADDING);

  int MaxWidth = Metrics.ScreenWidth - Scaled(S, FRAME_ALLOWANCE);
  if (MaxWidth < 1) MaxWidth = Metrics.ScreenWidth;
  // Squeezed, the buttons together still take one button's usual width, which leaves the icon's
  // box room for text.
  int Gaps = (Content.ButtonCount - 1) * Gap;
  int Squeezed = (MaxWidth - 2 * Margin - Gaps) / Content.ButtonCount;
  if (Squeezed < Scaled(S, BUTTON_SQUEEZED)) Squeezed = Scaled(S, BUTTON_SQUEEZED);
  if (Squeezed * Content.ButtonCount + Gaps < Scaled(S, BUTTON_MIN_WIDTH))
    Squeezed = (Scaled(S, BUTTON_MIN_WIDTH) - Gaps + Content.ButtonCount - 1) / Content.ButtonCount;
  if (L.ButtonWidth > Squeezed) L.ButtonWidth = Squeezed;
  int ButtonsWidth = Content.ButtonCount * L.ButtonWidth + (Content.ButtonCount - 1) * Gap;
  int MaxTextWidth = MaxWidth - TextLeft - Margin;
  if (MaxTextWidth < 1) MaxTextWidth = 1;
  int MaxTextHeight = Metrics.ScreenHeight - Scaled(S, FRAME_ALLOWANCE) - StripHeight - 2 * Margin;
  int RowRoom = Metrics.LineHeight > 0 ? MaxTextHeight / Metrics.LineHeight : 1;
  if (RowRoom < 1) RowRoom = 1;
  if (RowRoom > MAX_WINDOW_ROWS - 1) RowRoom = MAX_WINDOW_ROWS - 1;

  int Count = 0;
  for (int WrapWidth : WRAP_WIDTHS) {
    int Width = Scaled(S, WrapWidth);
    bool Last = Width >= MaxTextWidth || WrapWidth == WRAP_WIDTHS[sizeof WRAP_WIDTHS / sizeof WRAP_WIDTHS[0] - 1];
    if (Width > MaxTextWidth) Width = MaxTextWidth;
    Count = WrapText(Content.Text, Content.TextLength, Width, Advance, Context, L.Rows, RowRoom + 1);
    if (Last || (Count <= RowRoom && Count * Metrics.LineHeight <= Width * 3 / 4)) break;
  }
  L.Cut = Count > RowRoom;
  L.RowCount = L.Cut ? RowRoom : Count;
  int TextWidth = Widest(Content.Text, L.Rows, L.Cut ? L.RowCount - 1 : L.RowCount, Advance, Context);
  int TextHeight = L.RowCount * Metrics.LineHeight;

  int Width = TextLeft + TextWidth + Margin;
  if (ButtonsWidth + 2 * Margin > Width) Width = ButtonsWidth + 2 * Margin;
  if (Content.CaptionPixels + Scaled(S, TITLE_BUTTONS) > Width) Width = Content.CaptionPixels + Scaled(S, TITLE_BUTTONS);
  if (Width < Scaled(S, MIN_WIDTH)) Width = Scaled(S, MIN_WIDTH);
  if (Width > MaxWidth && MaxWidth > 0) Width = MaxWidth;
  if (Width < ButtonsWidth + 2 * Margin) Width = ButtonsWidth + 2 * Margin;
  L.Width = Width;

  int Body = TextHeight > L.IconSize ? TextHeight : L.IconSize;
  L.IconX = Content.RightToLeft ? Width - Margin - L.IconSize : Margin;
  L.IconY = Margin;
  L.TextX = Content.RightToLeft ? Margin : TextLeft;
  L.TextRight = Content.RightToLeft ? Width - TextLeft : Width - Margin;
  L.AlignRight = Content.AlignRight;
  // A short text sits level with the middle of the icon, as on Windows.
  L.TextY = Margin + (Body - TextHeight) / 2;
  L.StripY = 2 * Margin + Body;
  L.Height = L.StripY + StripHeight;
  L.ButtonY = L.StripY + Scaled(S, STRIP_PADDING);
  // Buttons keep to the right, in Windows' order; mirrored, to the left in the reverse order.
  int X = Width - Margin - ButtonsWidth;
  for (int I = 0; I < Content.ButtonCount; ++I, X += L.ButtonWidth + Gap)
    L.ButtonX[I] = Content.RightToLeft ? Width - X - L.ButtonWidth : X;
}

}  // namespace platform
