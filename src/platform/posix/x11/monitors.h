// The monitors of the X screen, and the part of one that no panel covers, where a box belongs.
#ifndef ASKBOX_PLATFORM_POSIX_X11_MONITORS_H
#define ASKBOX_PLATFORM_POSIX_X11_MONITORS_H

#include "platform/posix/x11/properties.h"

#include <X11/Xlib.h>

namespace platform {

// Where a box is placed, and what it is sized for: the work area of the monitor that holds the
// owner's centre where the box has an owner on the screen, else of the monitor that holds the
// pointer, which is where the person looks. Monitors come from RandR 1.5, the work area from
// _GTK_WORKAREAS_D<n>, else _NET_WORKAREA, all asked through XCB in three round trips; without
// XCB's libraries, or without RandR, the screen is one monitor.
RootArea BoxArea(Display* Dpy, int Screen, Window Owner);

}  // namespace platform

#endif
