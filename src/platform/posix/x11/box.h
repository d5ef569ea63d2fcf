// The message box as an X window: a dialog on the desktop, answered with keys, mouse or the close button.
#ifndef ASKBOX_PLATFORM_POSIX_X11_BOX_H
#define ASKBOX_PLATFORM_POSIX_X11_BOX_H

#include "platform/posix/box/model.h"

#include <X11/Xlib.h>

namespace platform {

// The box could not be started here (no RENDER extension, no font): another front end may try.
const int X11_BOX_UNAVAILABLE = -1;

// The pressed button's identifier; 0 when the display went away while the box was up, or where
// the window was closed with no answer to give. Owner is the window the box belongs to, 0 for
// none. A signal that ends the program while the box is up is left pending in Signal (else 0)
// for the caller to deliver once it has put the desktop back.
int ShowX11Box(const MSGBOXPARAMSA& Params, const BoxModel& Model, Window Owner, int* Signal);

}  // namespace platform

#endif
