// The message box as an X window: a dialog on the desktop, answered with keys, mouse or the close button.
#ifndef ASKBOX_PLATFORM_POSIX_X11_BOX_H
#define ASKBOX_PLATFORM_POSIX_X11_BOX_H

#include "platform/posix/box/request.h"

#include <X11/Xlib.h>

namespace platform {

// The box as a window; not here where no display answers or it cannot draw one (no RENDER
// extension, no font), and an answer of 0 when the display went away while the box was up. Owner
// is the window the box belongs to, 0 for none.
BoxOutcome ShowX11Box(const BoxRequest& Request, Window Owner);

}  // namespace platform

#endif
