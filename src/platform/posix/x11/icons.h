// The message box's icons, drawn smooth at any size: shapes rasterised here, marks from the bold font.
#ifndef ASKBOX_PLATFORM_POSIX_X11_ICONS_H
#define ASKBOX_PLATFORM_POSIX_X11_ICONS_H

#include "platform/posix/box/request.h"
#include "platform/posix/x11/font.h"

#include <X11/extensions/Xrender.h>

namespace platform {

// An opaque colour for XRender from 0xRRGGBB.
XRenderColor RenderColour(unsigned Rgb);

enum IconLayer { ICON_BODY, ICON_MARK };

// Coverage (0..255) of a Size x Size square by the icon's background shape (ICON_BODY) or by the
// geometric part of its mark, 4 x 4 samples a pixel; Coverage holds Size * Size bytes.
void RasteriseIcon(BoxIcon Shape, IconLayer Layer, int Size, unsigned char* Coverage);

// askbox's own icon (res/make-icon.py draws the same for Windows): a question in a speech bubble,
// Size x Size pixels of 0xAARRGGBB, not premultiplied, rows top to bottom.
void RenderAskboxIcon(int Size, uint32_t* Argb);

void DrawIcon(BoxFonts* Fonts, XftDraw* Draw, BoxIcon Shape, int X, int Y, int Size);

}  // namespace platform

#endif
