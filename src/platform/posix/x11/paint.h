// Drawing the box window's picture: its background, icon, text and buttons, in a light or a dark look.
#ifndef ASKBOX_PLATFORM_POSIX_X11_PAINT_H
#define ASKBOX_PLATFORM_POSIX_X11_PAINT_H

#include "platform/posix/box/request.h"
#include "platform/posix/x11/font.h"
#include "platform/posix/x11/layout.h"
#include "platform/posix/x11/shape.h"

#include <X11/Xft/Xft.h>

namespace platform {

struct BoxColours {
  unsigned Back, Strip, Text, ButtonFace, ButtonEdge, FocusFace, FocusEdge, PressedFace;
};

// Windows' light box, or a dark one for a desktop that prefers dark. The text stands out from every
// face it is drawn on by 4.5:1 or more (README, The window on Linux).
const BoxColours* BoxColoursFor(bool Dark);

// What the window shows, as the box holds it: the box's loop changes it, the drawing reads it.
struct BoxPicture {
  Display* Dpy;
  Window Win;
  XftDraw* Draw;  // on the window's background pixmap
  BoxFonts* Fonts;
  const XftColor* Ink;
  const BoxColours* Colours;
  double Scale;  // the display's DPI over 96
  BoxIcon Icon;
  const unsigned char* Text;  // clean UTF-8
  const WindowLayout* Layout;
  const BoxModel* Model;  // the buttons and the focus
  int Pressed;  // the button the mouse holds down, -1 for none
  bool PressedOver;  // and the pointer is over it, so it looks pressed
  const ShapedText* Shaped;  // the text shaped, null where it is drawn glyph by glyph
  MeasuredText* Measured;  // the advances the text was laid out with
};

// Draws the whole box on the background pixmap and has the server show it.
void PaintBox(const BoxPicture& P);

}  // namespace platform

#endif
