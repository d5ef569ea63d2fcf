// The window's fonts: the desktop's sans-serif at the display's DPI, with fallbacks per character.
#ifndef ASKBOX_PLATFORM_POSIX_X11_FONT_H
#define ASKBOX_PLATFORM_POSIX_X11_FONT_H

#include "platform/posix/box/model.h"
#include "platform/posix/x11/xsettings.h"

#include <X11/Xft/Xft.h>

namespace platform {

const int MAX_FALLBACK_FONTS = 4;

struct BoxFonts {
  Display* Dpy;
  int Screen;
  double PixelSize;
  FontRendering Rendering;  // the desktop's, over fontconfig's rules, for every font opened
  XftFont* Regular;
  XftFont* Bold;  // the marks inside the icons, at their size; the regular font where there is no bold one
  XftFont* Fallbacks[MAX_FALLBACK_FONTS];
  int FallbackCount;
  // Code points no font has, so that fontconfig is searched once for each, not at every
  // measure and repaint: an open-addressed set of code point + 1, 0 for an empty slot.
  uint32_t* Missing;
  size_t MissingRoom;  // slots, a power of two
  size_t MissingCount;
  int TabStop;  // pixels between tab stops; 0 until a tab needs it
};

// Xft.dpi where the desktop sets it, else 96: the millimetres a server reports are often wrong.
double DisplayDpi(Display* Dpy);
// The desktop's family (Look's, else sans-serif) with its rendering settings. False only where no
// font at all can be opened. MarkPixelSize is the bold font's size, 0 for none (a box without an
// icon needs none).
bool OpenBoxFonts(Display* Dpy, int Screen, const DesktopLook& Look, double PixelSize, double MarkPixelSize,
                  BoxFonts* Fonts);
void CloseBoxFonts(BoxFonts* Fonts);

// The font that draws the character: the regular one, else one fontconfig finds for it; where
// none has it, the regular font and the replacement character in its place.
XftFont* FontFor(BoxFonts* Fonts, uint32_t* Code);

// Where a tab at X takes the pen.
int NextTabStop(BoxFonts* Fonts, int X);
// A GlyphAdvance in pixels; Context is the BoxFonts.
int AdvancePixels(void* Context, const unsigned char* Text, const Glyph& G, int X);
int TextPixels(BoxFonts* Fonts, const unsigned char* Text, size_t Length);

// A text's advances measured once, for every width the layout tries and for the drawing: a byte's
// entry is the pixels of the glyph or shaped cluster that starts there, 0 for any other byte.
struct MeasuredText {
  BoxFonts* Fonts;
  const unsigned char* Text;
  size_t Length;
  int* Advances;
};

// Each glyph on its own, as DrawText draws it; false where memory fails.
bool MeasureText(BoxFonts* Fonts, const unsigned char* Text, size_t Length, MeasuredText* Out);
void FreeMeasuredText(MeasuredText* Measured);
// A GlyphAdvance over a MeasuredText (Context): tabs to their stops, the rest from the table, so
// that a shaped cluster's whole width falls at its first character and no row breaks inside it.
int MeasuredAdvance(void* Context, const unsigned char* Text, const Glyph& G, int X);
// Draws clean UTF-8 (see CleanText) from pen position X on the baseline Y, all its glyphs in
// one request to the server where they fit; gives the pen's end.
int DrawText(BoxFonts* Fonts, XftDraw* Draw, const XftColor* Colour, int X, int Y,
             const unsigned char* Text, size_t Length);

}  // namespace platform

#endif
