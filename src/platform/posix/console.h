// The console window as the message box needs it: whether it is hidden, and which X window owns the box.
#ifndef ASKBOX_PLATFORM_POSIX_CONSOLE_H
#define ASKBOX_PLATFORM_POSIX_CONSOLE_H

#include "platform/platform.h"

#include <X11/X.h>

namespace platform {

// Whether ShowWindow hid the console.
bool ConsoleIsHidden();
// Maps the console's X window again where it was iconified, without changing what ShowWindow
// reports; false where there was none to map.
bool ShowHiddenConsole();
// The X window of an owner handle that names the console, 0 for any other.
Window X11Owner(HWND Owner);

}  // namespace platform

#endif
