// A button's label in the window, shaped where its script needs it; labels change with a time limit's count, so each use shapes afresh.
#include "platform/posix/x11/label.h"

#include "platform/posix/x11/library.h"
#include "platform/posix/x11/shape.h"
#include "platform/posix/x11/text-runs.h"

namespace platform {

bool LabelIsShaped(const unsigned char* Label, size_t Length) {
  return TextNeedsShaping(Label, Length) && LoadShapingLibraries();
}

int LabelPixels(BoxFonts* Fonts, const unsigned char* Label, size_t Length) {
  ShapedText Shaped;
  if (!LabelIsShaped(Label, Length) || !ShapeText(Fonts, Label, Length, false, &Shaped))
    return TextPixels(Fonts, Label, Length);
  int Pixels = 0;
  for (size_t I = 0; I < Length; ++I) Pixels += Shaped.Measured.Advances[I];
  FreeShapedText(&Shaped);
  return Pixels;
}

void DrawLabel(BoxFonts* Fonts, XftDraw* Draw, const XftColor* Colour, int X, int Baseline, const unsigned char* Label,
               size_t Length) {
  ShapedText Shaped;
  if (!LabelIsShaped(Label, Length) || !ShapeText(Fonts, Label, Length, false, &Shaped)) {
    DrawText(Fonts, Draw, Colour, X, Baseline, Label, Length);
    return;
  }
  DrawShapedRow(Shaped, Draw, Colour, X, Baseline, Span{0, Length});
  FreeShapedText(&Shaped);
}

}  // namespace platform
