// Fuzz target: the window's layout for any text, on a made-up font, at any scale and screen size.
#include <vector>

#include "fuzz-targets.h"
#include "platform/posix/x11/layout.h"
#include "platform/posix/x11/text-runs.h"
#include "wrapped-rows.h"

using namespace platform;

namespace {

const int TAB_STOP = 64;

// A font whose advances, 0 to 40 pixels, follow from the code point alone, so that a failure
// replays exactly; zero-width glyphs come up as often as wide ones.
int FakeAdvance(void*, const unsigned char*, const Glyph& G, int X) {
  if (G.Kind == GLYPH_TAB) return (X / TAB_STOP + 1) * TAB_STOP;
  return X + static_cast<int>((G.Code * 2654435761u) >> 16) % 41;
}

int Pair(FuzzInput* Input) { return Input->Byte() << 8 | Input->Byte(); }

std::string Shown(int A, int B) { return std::to_string(A) + "x" + std::to_string(B); }

}  // namespace

// Whatever the text, pure ASCII never loads the shaping libraries, and the runs' display order is a
// permutation that leaves a left-to-right line alone and turns a right-to-left one round.
void CheckShapingChoices(const std::vector<unsigned char>& Text) {
  bool Ascii = true;
  for (unsigned char C : Text) Ascii = Ascii && C < 0x80;
  bool Needs = TextNeedsShaping(Text.data(), Text.size());
  FUZZ_CHECK(!(Ascii && Needs), "ASCII text sent to shaping");
  int Count = static_cast<int>(Text.size() < 64 ? Text.size() : 64);
  unsigned char Levels[64];
  int Order[64];
  bool Even = true, SameOdd = true;
  for (int I = 0; I < Count; ++I) {
    Levels[I] = Text[I] % 6;
    Even = Even && Levels[I] % 2 == 0;
    SameOdd = SameOdd && Levels[I] == Levels[0] && Levels[0] % 2 == 1;
  }
  VisualRunOrder(Levels, Count, Order);
  std::vector<bool> Seen(Count, false);
  for (int I = 0; I < Count; ++I) {
    FUZZ_CHECK(Order[I] >= 0 && Order[I] < Count && !Seen[Order[I]], "display order is no permutation");
    Seen[Order[I]] = true;
    if (SameOdd) FUZZ_CHECK(Order[I] == Count - 1 - I, "a right-to-left line not turned round");
    if (Even) FUZZ_CHECK(Order[I] == I, "a left-to-right line reordered");
  }
}

// Input: scale, line height, two bytes each of screen width and height, icon and button count,
// three label widths, two bytes of caption width, then the text.
int FuzzWindowLayout(const uint8_t* Data, size_t Size) {
  FuzzInput Input = {Data, Size};
  WindowMetrics Metrics;
  Metrics.Scale = 0.5 + Input.Byte() * 3.5 / 255;
  Metrics.LineHeight = 1 + Input.Byte() % 160;
  Metrics.Ascent = Metrics.LineHeight * 3 / 4;
  Metrics.ScreenWidth = 64 + Pair(&Input) % 7937;
  Metrics.ScreenHeight = 64 + Pair(&Input) % 7937;
  WindowContent Content = {};
  uint8_t Choices = Input.Byte();
  Content.HasIcon = (Choices & 4) != 0;
  Content.RightToLeft = (Choices & 8) != 0;
  Content.AlignRight = (Choices & 16) != 0;
  Content.ButtonCount = 1 + Choices % 3;
  for (int& Pixels : Content.LabelPixels) Pixels = 2 * Input.Byte();
  Content.CaptionPixels = Pair(&Input) % 5000;
  std::string Raw = Input.Rest();
  std::vector<unsigned char> Text(Raw.begin(), Raw.end());
  Content.Text = Text.data();
  Content.TextLength = Text.size();

  CheckShapingChoices(Text);
  static WindowLayout L;
  LayOutWindow(Content, FakeAdvance, nullptr, Metrics, &L);
  std::string Screen = " on " + Shown(Metrics.ScreenWidth, Metrics.ScreenHeight) + " at " +
                       std::to_string(Metrics.Scale) + ", " + Shown(L.Width, L.Height);
  FUZZ_CHECK(L.RowCount >= 1 && L.RowCount <= MAX_WINDOW_ROWS, std::to_string(L.RowCount) + " rows" + Screen);
  int Margin = L.IconY;
  // Where rows were cut, an ellipsis stands in the last row's place.
  CheckWrappedRows(Text.data(), Text.size(), L.Rows, L.Cut ? L.RowCount - 1 : L.RowCount, !L.Cut,
                   L.TextRight - L.TextX, FakeAdvance, nullptr);
  // Mirrored or not, the icon keeps to its side of the text and the text inside the margins.
  FUZZ_CHECK((L.TextX >= Margin && L.TextRight <= L.Width - Margin) || L.Width <= 2 * Margin,
             "text past the margins" + Screen);
  if (Content.HasIcon && Content.RightToLeft)
    FUZZ_CHECK(L.IconX >= L.TextRight && L.IconX + L.IconSize <= L.Width, "icon over the text" + Screen);
  if (Content.HasIcon && !Content.RightToLeft)
    FUZZ_CHECK(L.IconX + L.IconSize <= L.TextX, "icon over the text" + Screen);
  FUZZ_CHECK(L.AlignRight == Content.AlignRight, "alignment lost");

  int Last = Content.ButtonCount - 1;
  // Mirrored, the buttons' order runs from the right.
  int First = Content.RightToLeft ? Last : 0, Step = Content.RightToLeft ? -1 : 1;
  for (int I = First; I != First + Step * Last; I += Step)
    FUZZ_CHECK(L.ButtonX[I] + L.ButtonWidth <= L.ButtonX[I + Step], "buttons overlap or out of order" + Screen);
  int Across = L.ButtonX[First + Step * Last] + L.ButtonWidth - L.ButtonX[First];
  // A label is cut only where the buttons were squeezed to fill the window, to the pixel left over
  // from sharing its width.
  for (int I = 0; I <= Last; ++I)
    FUZZ_CHECK(L.ButtonWidth >= Content.LabelPixels[I] || Across + 2 * Margin + Last >= L.Width,
               "label wider than its button" + Screen);
  FUZZ_CHECK(L.ButtonHeight >= Metrics.LineHeight && L.ButtonY >= L.StripY && L.ButtonY + L.ButtonHeight <= L.Height,
             "buttons down" + Screen);
  FUZZ_CHECK(L.TextY >= Margin && L.TextY + L.RowCount * Metrics.LineHeight <= L.StripY, "text runs into the buttons" + Screen);
  FUZZ_CHECK(L.IconY + L.IconSize <= L.StripY, "icon runs into the buttons" + Screen);

  // The window stays on a screen that can hold its buttons, and one row beside the icon above them.
  FUZZ_CHECK(L.ButtonX[First] >= Margin && L.ButtonX[First] + Across <= L.Width - Margin, "buttons across" + Screen);
  int ButtonsAcross = Across + 2 * Margin;
  if (ButtonsAcross <= Metrics.ScreenWidth) FUZZ_CHECK(L.Width <= Metrics.ScreenWidth, "too wide" + Screen);
  int Body = Metrics.LineHeight > L.IconSize ? Metrics.LineHeight : L.IconSize;
  int Lowest = 2 * Margin + Body + L.Height - L.StripY;
  if (Lowest <= Metrics.ScreenHeight) FUZZ_CHECK(L.Height <= Metrics.ScreenHeight, "too tall" + Screen);
  return 0;
}
