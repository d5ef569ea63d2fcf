// The window's layout in pixels: wrap width, rows that fit the screen, icon and buttons, Windows' proportions.
#include "platform/posix/x11/layout.h"

#include <algorithm>
#include <iterator>

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

// The distances every stage takes, at the display's scale.
struct Spacing {
  double Scale;
  int Margin;
  int TextLeft;  // where rows start, right of the icon
  int Gap;  // between buttons
  int MaxWidth;  // the most the window may take, its frame included
};

// The buttons' size, as wide as the widest label needs but squeezed where the screen is too
// narrow for them; gives their row's width.
int SizeButtons(const WindowContent& Content, const WindowMetrics& Metrics, const Spacing& Sp, WindowLayout& L) {
  double S = Sp.Scale;
  L.ButtonHeight = std::max(Scaled(S, BUTTON_MIN_HEIGHT), Metrics.LineHeight + Scaled(S, 8));
  L.ButtonWidth = Scaled(S, BUTTON_MIN_WIDTH);
  for (int I = 0; I < Content.ButtonCount; ++I)
    L.ButtonWidth = std::max(L.ButtonWidth, Content.LabelPixels[I] + 2 * Scaled(S, BUTTON_PADDING));
  // Squeezed, the buttons together still take one button's usual width, which leaves the icon's
  // box room for text.
  int Gaps = (Content.ButtonCount - 1) * Sp.Gap;
  int Squeezed = std::max((Sp.MaxWidth - 2 * Sp.Margin - Gaps) / Content.ButtonCount, Scaled(S, BUTTON_SQUEEZED));
  if (Squeezed * Content.ButtonCount + Gaps < Scaled(S, BUTTON_MIN_WIDTH))
    Squeezed = (Scaled(S, BUTTON_MIN_WIDTH) - Gaps + Content.ButtonCount - 1) / Content.ButtonCount;
  L.ButtonWidth = std::min(L.ButtonWidth, Squeezed);
  return Content.ButtonCount * L.ButtonWidth + Gaps;
}

// The rows at the narrowest of the wrap widths that keeps the text from growing taller than wide,
// as many as fit the screen's height; gives the widest row's pixels.
int WrapRows(const WindowContent& Content, GlyphAdvance Advance, void* Context, const WindowMetrics& Metrics,
             const Spacing& Sp, int StripHeight, WindowLayout& L) {
  int MaxTextWidth = std::max(Sp.MaxWidth - Sp.TextLeft - Sp.Margin, 1);
  int MaxTextHeight = Metrics.ScreenHeight - Scaled(Sp.Scale, FRAME_ALLOWANCE) - StripHeight - 2 * Sp.Margin;
  int RowRoom = Metrics.LineHeight > 0 ? MaxTextHeight / Metrics.LineHeight : 1;
  RowRoom = std::clamp(RowRoom, 1, MAX_WINDOW_ROWS - 1);
  int Count = 0;
  for (int WrapWidth : WRAP_WIDTHS) {
    int Width = Scaled(Sp.Scale, WrapWidth);
    bool Last = Width >= MaxTextWidth || WrapWidth == WRAP_WIDTHS[std::size(WRAP_WIDTHS) - 1];
    Width = std::min(Width, MaxTextWidth);
    Count = WrapText(Content.Text, Content.TextLength, Width, Advance, Context, L.Rows, RowRoom + 1);
    if (Last || (Count <= RowRoom && Count * Metrics.LineHeight <= Width * 3 / 4)) break;
  }
  L.Cut = Count > RowRoom;
  L.RowCount = L.Cut ? RowRoom : Count;
  return Widest(Content.Text, L.Rows, L.Cut ? L.RowCount - 1 : L.RowCount, Advance, Context);
}

}  // namespace

void LayOutWindow(const WindowContent& Content, GlyphAdvance Advance, void* Context,
                  const WindowMetrics& Metrics, WindowLayout* Out) {
  WindowLayout& L = *Out;
  double S = Metrics.Scale;
  Spacing Sp;
  Sp.Scale = S;
  Sp.Margin = Scaled(S, MARGIN);
  L.IconSize = Content.HasIcon ? Scaled(S, ICON) : 0;
  Sp.TextLeft = Sp.Margin + (Content.HasIcon ? L.IconSize + Scaled(S, ICON_TEXT_GAP) : 0);
  Sp.Gap = Scaled(S, BUTTON_GAP);
  Sp.MaxWidth = Metrics.ScreenWidth - Scaled(S, FRAME_ALLOWANCE);
  if (Sp.MaxWidth < 1) Sp.MaxWidth = Metrics.ScreenWidth;
  int Margin = Sp.Margin;
  int ButtonsWidth = SizeButtons(Content, Metrics, Sp, L);
  int StripHeight = L.ButtonHeight + 2 * Scaled(S, STRIP_PADDING);
  int TextWidth = WrapRows(Content, Advance, Context, Metrics, Sp, StripHeight, L);
  int TextHeight = L.RowCount * Metrics.LineHeight;

  int Width = std::max({Sp.TextLeft + TextWidth + Margin, ButtonsWidth + 2 * Margin,
                        Content.CaptionPixels + Scaled(S, TITLE_BUTTONS), Scaled(S, MIN_WIDTH)});
  if (Width > Sp.MaxWidth && Sp.MaxWidth > 0) Width = Sp.MaxWidth;
  L.Width = Width = std::max(Width, ButtonsWidth + 2 * Margin);

  int Body = std::max(TextHeight, L.IconSize);
  L.IconX = Content.RightToLeft ? Width - Margin - L.IconSize : Margin;
  L.IconY = Margin;
  L.TextX = Content.RightToLeft ? Margin : Sp.TextLeft;
  L.TextRight = Content.RightToLeft ? Width - Sp.TextLeft : Width - Margin;
  L.AlignRight = Content.AlignRight;
  // A short text sits level with the middle of the icon, as on Windows.
  L.TextY = Margin + (Body - TextHeight) / 2;
  L.StripY = 2 * Margin + Body;
  L.Height = L.StripY + StripHeight;
  L.ButtonY = L.StripY + Scaled(S, STRIP_PADDING);
  // Buttons keep to the right, in Windows' order; mirrored, to the left in the reverse order.
  int X = Width - Margin - ButtonsWidth;
  for (int I = 0; I < Content.ButtonCount; ++I, X += L.ButtonWidth + Sp.Gap)
    L.ButtonX[I] = Content.RightToLeft ? Width - X - L.ButtonWidth : X;
}

}  // namespace platform
