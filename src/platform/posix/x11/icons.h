// The message box's icons, drawn smooth at any size: shapes rasterised here, marks from the bold font.
#ifndef ASKBOX_PLATFORM_POSIX_X11_ICONS_H
#define ASKBOX_PLATFORM_POSIX_X11_ICONS_H

#include "platform/posix/x11/font.h"

#include <X11/extensions/Xrender.h>

namespace platform {

enum IconShape { ICON_NONE, ICON_ERROR, ICON_QUESTION, ICON_WARNING, ICON_INFORMATION, ICON_USER };

// ICON_USER only with a module loaded: Linux cannot read a Windows icon resource, so the box
// shows askbox's own icon in its place.
IconShape IconShapeFor(const MSGBOXPARAMSA& Params);

// An opaque colour for XRender from 0xRRGGBB.
XRenderColor RenderColour(unsigned Rgb);

enum IconLayer { ICON_BODY, ICON_MARK };

// Coverage (0..255) of a Size x Size square by the icon's background shape (ICON_BODY) or by the
// geometric part of its mark, 4 x 4 samples a pixel; Coverage holds Size * Size bytes.
void RasteriseIcon(IconShape Shape, IconLayer Layer, int Size, unsigned char* Coverage);

// askbox's own icon (res/make-icon.py draws the same for Windows): a question in a speech bubble,
// Size x Size pixels of 0xAARRGGBB, not premultiplied, rows top to bottom.
void RenderAskboxIcon(int Size, uint32_t* Argb);

void DrawIcon(BoxFonts* Fonts, XftDraw* Draw, IconShape Shape, int X, int Y, int Size);

}  // namespace platform

#endif
