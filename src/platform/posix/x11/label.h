// A button's label in the window: measured and drawn shaped, in display order, where its script needs that.
#ifndef ASKBOX_PLATFORM_POSIX_X11_LABEL_H
#define ASKBOX_PLATFORM_POSIX_X11_LABEL_H

#include "platform/posix/x11/font.h"

#include <stddef.h>

namespace platform {

// Whether the label is shaped: a label in Arabic or Hebrew reads from the right and joins, as the
// text does, where HarfBuzz and FriBidi are at hand.
bool LabelIsShaped(const unsigned char* Label, size_t Length);
int LabelPixels(BoxFonts* Fonts, const unsigned char* Label, size_t Length);
void DrawLabel(BoxFonts* Fonts, XftDraw* Draw, const XftColor* Colour, int X, int Baseline, const unsigned char* Label,
               size_t Length);

}  // namespace platform

#endif
