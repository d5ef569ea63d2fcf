// Text that needs more than a glyph a character: its runs put in display order by FriBidi and shaped by HarfBuzz.
#ifndef ASKBOX_PLATFORM_POSIX_X11_SHAPE_H
#define ASKBOX_PLATFORM_POSIX_X11_SHAPE_H

#include "platform/posix/x11/text-runs.h"
#include "platform/posix/x11/font.h"

namespace platform {

struct ShapedGlyph {
  XftFont* Font;
  unsigned Id;
  int Advance;  // pixels
  int OffsetX, OffsetY;  // pixels, y upwards
  size_t Cluster;  // the byte where the cluster's first character starts
};

// A stretch of one embedding level and one font (or a lone tab), its glyphs in display order.
struct ShapedRun {
  size_t Begin, End;
  unsigned char Level;
  bool Tab;
  int First, Count;
};

struct ShapedText {
  MeasuredText Measured;  // each cluster's pixels at its first character
  ShapedGlyph* Glyphs;
  int GlyphCount;
  ShapedRun* Runs;
  int RunCount;
};

// Shapes clean UTF-8 paragraph by paragraph, each paragraph's direction that of its first strong
// character, or right to left throughout where RightToLeft. False where memory or a library
// fails: the text is then drawn as before.
bool ShapeText(BoxFonts* Fonts, const unsigned char* Text, size_t Length, bool RightToLeft, ShapedText* Out);
void FreeShapedText(ShapedText* Shaped);

// One row, its runs in display order, with one request to the server.
void DrawShapedRow(const ShapedText& Shaped, XftDraw* Draw, const XftColor* Colour, int X, int Baseline, Span Row);

}  // namespace platform

#endif
